// The output channels: screen 0, printer 1 (a notice only), copy file 2, and
// the text files that stay open until the end of the run.
#pragma once

#include <string>

#include "dataset/textfile.hpp"

namespace console {

struct Channels {
    int last_channel = 0;   // highest channel a report is written to
    int channel_step = 1;   // step between channels
    dataset::TextFile copy;  // "<Dset>.LXO", opened on demand, appended to
    std::string copy_name;
    // The map search's files: ".CMG" and ".CMM" created anew, ".LOG" and
    // ".SUM" appended to.
    dataset::TextFile map_cmg;
    dataset::TextFile log;
    dataset::TextFile map_cmm;
    dataset::TextFile map_sum;
};

// The shutdown closes every file that is open.
void close_all(Channels& ch);

} // namespace console
