#include "windowing/TDecoratedFrame.h"

const TResponseTable TDecoratedFrame::Table{&TFrameWindow::Table};
