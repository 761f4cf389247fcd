// The one-line field editor for titles and similar texts.
#pragma once

#include <string>
#include <string_view>

namespace console {

class Console;

// Edits `initial` in a field of at most `width` characters whose first
// character stands at `column`, `row` (1-based screen position), optionally
// under a column ruler and between bars. Returns the text without trailing
// blanks.
std::string edit_line(Console& con, int column, int row, int width, std::string_view initial,
                      bool show_ruler, bool framed);

} // namespace console
