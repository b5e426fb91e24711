#include "windowing/TResponseTable.h"

const TResponseEntry* TResponseTable::Find(UINT message, WPARAM wParam) const {
  for (const TResponseTable* table = this; table; table = table->Base) {
    for (std::size_t i = 0; i < table->Count; ++i) {
      const TResponseEntry& row = table->Rows[i];
      if (row.Message != message) continue;
      if (message == WM_COMMAND) {
        const UINT command = LOWORD(wParam);
        const UINT last = row.CommandLast == 0 ? row.Command : row.CommandLast;
        if (row.Accepts ? !row.Accepts(command) : (command < row.Command || command > last))
          continue;
      }
      return &row;
    }
  }
  return nullptr;
}
