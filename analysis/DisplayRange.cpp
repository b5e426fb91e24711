#include "analysis/DisplayRange.h"

DisplayRange Range;
