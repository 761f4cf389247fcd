// Fixed capacities of the system, named once.
#pragma once

namespace dataset {

inline constexpr int max_obs = 1000;         // observed lines, numbered 1..1000
inline constexpr int max_calc = 20000;       // calculated lines, 1..20000 (0 is a sentinel)
inline constexpr int max_peaks = 100;        // map peaks
inline constexpr int max_file_names = 2000;  // names in a directory listing

} // namespace dataset
