// The version record, fixed at start-up.
#pragma once

#include <string>

namespace control {

struct VersionRecord {
    std::string edition = "2026";      // four digits, the edition year
    std::string version = "1.00.00";   // major number and two two-digit parts
    std::string build_label = "posix";
    std::string build_date = "08Dec26";
    std::string build_time = "12:00";
    std::string map_code_name = "Rivi";
    std::string map_version_id = "Rivi1.00.00";
    std::string header_version = "1.00.00";  // the copy used in report headers
    std::string start_date;
    std::string start_time;
    std::string os_family = "posix";   // "posix" (OS unset), "NT", "9x" or the first two characters of OS
    std::string system;                // the POSIX system, named from uname
};

} // namespace control
