// Run-wide state of the dataset commands and the reload cycle.
#pragma once

#include <string>

namespace dataset {

// The text of the warning line of the current dataset format, after its
// bracketed intensity flags.
inline constexpr const char* warning_text =
    "To use with LATT versions prior to v9.30, delete these first 3 lines";

struct FilesState {
    bool auto_reload = false;     // LO/SA in the automatic reload cycle
    bool own_file = false;        // reload from the file last loaded (editor's Quit)
    int dir_changed = 0;          // CD has set a dataset directory
    std::string extension = ".CDT";
    std::string last_loaded;      // path of the dataset file last loaded
};

} // namespace dataset
