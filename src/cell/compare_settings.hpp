// Settings of the comparison listing that outlive one CA.
#pragma once

namespace cell {

struct CompareSettings {
    char exclusion_mode = 'N';   // N none, T by 2Theta, Q by Q
    double dQlim_default = 3.0;  // QU.
    double dQlim = 3.0;
    double d2Tlim_default = 0.05;  // degrees
    double d2Tlim = 0.05;
    int remove_duplicates = 1;
    double lower_limit = 0.0;
    double upper_limit = 9.999999e+36;
    double edit_workspace = 0.0;  // cell-editing workspace of CE
};

} // namespace cell
