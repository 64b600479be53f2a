// Clipboard paste: any text pasted into a grid at any cell, growing or not, leaves a grid whose
// cells can be read, copied and cut, and never crashes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/base/text_grid.h"
#include "core/base/user_dialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  kavrel::TextGrid grid(4, 6);
  grid.CurrentColumn = data[0] % 5;
  grid.CurrentRow = data[1] % 7;
  const bool mayGrow = (data[2] & 1) != 0;
  kavrel::ScriptedDialogs dialogs;  // the refusal boxes have only OK: answered without a script
  const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
  kavrel::PasteIntoGrid(grid, text, mayGrow, dialogs);
  if (grid.ColumnCount() > 100000 || grid.RowCount() > 1000000) __builtin_trap();
  grid.Select(0, 0, grid.ColumnCount() - 1, grid.RowCount() - 1);
  (void)kavrel::CopyGridSelection(grid);
  (void)kavrel::CutGridSelection(grid);
  return 0;
}
