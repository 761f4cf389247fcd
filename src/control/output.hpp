// The output channels in the session's terms: the OF, PR and EF commands and
// the forms of the channel routines that take the whole session. They keep
// the console namespace under which every command calls them; the console
// layer itself knows nothing of the session.
#pragma once

#include <string_view>

namespace control {
struct Session;
}

namespace console {

void OF(control::Session& s);  // copy screen output to "<Dset>.LXO", on or off
void PR(control::Session& s);  // printer channel on or off
void EF(control::Session& s);  // end-of-file mark in the copy file

// The copy file of the working dataset; true when open.
bool ensure_copy_open(control::Session& s);
void open_copy(control::Session& s, std::string_view name);
// The printing notice and the form feed into the copy after a report.
void report_end(control::Session& s);
bool open_log_file(control::Session& s, std::string_view name);
void open_map_files(control::Session& s, std::string_view name);

} // namespace console
