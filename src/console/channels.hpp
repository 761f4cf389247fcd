// The output channels: screen 0, printer 1 (a notice only), copy file 2, and
// the text files that stay open until the end of the run.
#pragma once

#include <string>
#include <string_view>

#include "console/textfile.hpp"

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

// Sets the output code (printer bit 1, copy bit 2) and the channels that
// follow from it.
void set_output_code(Console& con, Channels& ch, int code);
// OF, PR and EF: the two toggles and the end-of-file mark.
void toggle_copy(Console& con, Channels& ch);
void toggle_printer(Console& con, Channels& ch);
void end_copy_file(Console& con, Channels& ch);

// Opens the copy file for the dataset `dset` when the copy bit is set; true
// when the copy file is open afterwards.
bool ensure_copy_open(Console& con, Channels& ch, std::string_view dset);
void open_copy(Console& con, Channels& ch, std::string_view name);
void close_copy(Channels& ch);
// After a report: the printing notice, and a form feed into the copy.
void report_end(Console& con, Channels& ch, std::string_view dset);
// The one-line notice that printing is not supported.
void printing_notice(Console& con);
// Opens "<name>.LOG" for appending unless open; true when open.
bool open_log_file(Console& con, Channels& ch, std::string_view name);
void open_map_files(Console& con, Channels& ch, std::string_view name);
// The log, ".CMG", ".CMM" and ".SUM" files stay open from run to run; those
// open under another name than the dataset `name`'s are closed, so that
// the next run reopens them under its own.
void close_other_datasets_files(Channels& ch, std::string_view name);

// The shutdown closes every file that is open.
void close_all(Channels& ch);

} // namespace console
