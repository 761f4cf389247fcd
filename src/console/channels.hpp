// The output channels: screen 0, printer 1 (a notice only), copy file 2, and
// the text files that stay open until the end of the run.
#pragma once

#include <string>
#include <string_view>

#include "console/textfile.hpp"

namespace control {
struct Session;
}

namespace console {

class Console;

struct Channels {
    int last_channel = 0;   // highest channel a report is written to
    int channel_step = 1;   // step between channels
    TextFile copy;  // "<Dset>.LXO", opened on demand, appended to
    std::string copy_name;
    // The map search's files: ".CMG" and ".CMM" created anew, ".LOG" and
    // ".SUM" appended to.
    TextFile map_cmg;
    TextFile log;
    TextFile map_cmm;
    TextFile map_sum;
};

// OF, PR, EF.
void OF(control::Session& s);
void PR(control::Session& s);
void EF(control::Session& s);

// Sets the output code (printer bit 1, copy bit 2) and the channels that
// follow from it.
void set_output_code(control::Session& s, int code);
void toggle_copy(control::Session& s);
void toggle_printer(control::Session& s);
void end_copy_file(control::Session& s);

// Opens the copy file for the working dataset when the copy bit is set;
// true when the copy file is open afterwards.
bool ensure_copy_open(control::Session& s);
void open_copy(control::Session& s, std::string_view name);
void close_copy(control::Session& s);
// After a report: the printing notice, and a form feed into the copy.
void report_end(control::Session& s);
// The one-line notice that printing is not supported.
void printing_notice(Console& con);
// Opens "<name>.LOG" for appending unless open; true when open.
bool open_log_file(control::Session& s, std::string_view name);
void open_map_files(control::Session& s, std::string_view name);

// The shutdown closes every file that is open.
void close_all(Channels& ch);

} // namespace console
