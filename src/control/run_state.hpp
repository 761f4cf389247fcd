// Run-wide flags of the command loop and the hand-over.
#pragma once

#include <string>

namespace control {

struct RunState {
    bool exit_for_run = false;           // IN/DI: end so the outside driver can run
    bool map_solutions_pending = false;  // map solutions wait for the summary update
    std::string map_kind = "M";          // "M" or "H"
    bool quick_view = false;             // M1, M3
    bool thumbnails = false;             // M1
    bool topography = false;             // M1, M3
    int os_exec_result = 0;
};

struct Directories {
    std::string home;      // the installation's share/latticor/, found from the executable
    std::string data = "./";
    std::string startup;   // the current directory at start
};

} // namespace control
