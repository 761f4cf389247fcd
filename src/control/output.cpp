// OF, PR, EF and the session forms of the output-channel routines.
#include "control/output.hpp"

#include "console/channels.hpp"
#include "control/session.hpp"

namespace console {

// OF: switch the copy of screen output into "<Dset>.LXO" on or off.
void OF(control::Session& s) { toggle_copy(s.con, s.out); }
// PR: switch the printer channel on or off (printing itself is not supported).
void PR(control::Session& s) { toggle_printer(s.con, s.out); }
// EF: write an end-of-file mark into the copy file.
void EF(control::Session& s) { end_copy_file(s.con, s.out); }

bool ensure_copy_open(control::Session& s) { return ensure_copy_open(s.con, s.out, s.ds.Dset); }

void open_copy(control::Session& s, std::string_view name) { open_copy(s.con, s.out, name); }

void report_end(control::Session& s) { report_end(s.con, s.out, s.ds.Dset); }

bool open_log_file(control::Session& s, std::string_view name)
{
    return open_log_file(s.con, s.out, name);
}

void open_map_files(control::Session& s, std::string_view name)
{
    open_map_files(s.con, s.out, name);
}

} // namespace console
