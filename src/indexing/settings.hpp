// Settings of the indexing-run launcher that outlive one IN.
#pragma once

namespace indexing {

struct IndexingSettings {
    int min_lines = 20;      // lines below which the program choice is limited
    int max_lines = 100;     // most lines written to a QDAT file
    double del2th = 0.04;    // default error bound on 2Theta, degrees
};

} // namespace indexing
