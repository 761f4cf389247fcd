// The pattern editor's pieces: line operations on the observed pattern and
// the replies where ENTER means "nothing", shared by the editor's files.
#pragma once

#include <optional>
#include <string_view>

#include "dataset/dataset.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace pattern::editor {

// ---- line operations (lines numbered from 1; include flags stay in place) ----

// Lines n..Nobs move up one place, leaving line n free; Nobs + 1.
void open_line(dataset::Dataset& ds, int n);
// Lines first..last go, later lines moving down.
void delete_lines(dataset::Dataset& ds, int first, int last);
// Lines with OI <= threshold.
int count_at_or_below(const dataset::Dataset& ds, double threshold);
// Deletes every line with OI <= threshold, keeping the order of the rest.
void strip_at_or_below(dataset::Dataset& ds, double threshold);

// ---- replies ----

// A number, or nothing when the reply is empty; anything else is asked again.
std::optional<double> ask_optional_real(console::Console& con, std::string_view prompt);
std::optional<int> ask_optional_int(console::Console& con, std::string_view prompt);

// ---- sub-commands ----

enum class Entry { insert, append, change };

// I, A and C for line n once its number has passed the range checks: the
// value in the pattern's basis, the intensity, and the line stored.
// `scale_asked` is set once the scaling factor has been offered in this run.
void enter_line(control::Session& s, Entry op, int n, bool& scale_asked);

// S: strip the lines at or below an intensity threshold.
void strip_weak_lines(control::Session& s);

} // namespace pattern::editor
