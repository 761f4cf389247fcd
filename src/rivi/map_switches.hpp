// Run-wide switches of the merit-map search.
#pragma once

namespace rivi {

struct MapSwitches {
    bool indexing_mode = false;   // map dialogue run from IN
    bool use_calcfm = false;
    bool new_Pr_formula = true;
    bool save_map_array = false;
};

} // namespace rivi
