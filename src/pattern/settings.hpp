// Settings kept by the pattern commands between calls.
#pragma once

#include <array>

#include "dataset/limits.hpp"

namespace pattern {

// The stored pattern on both sides of the last linear transformation, so that
// applying its inverse gives back the very same numbers (multiplying by k and
// then by 1/k does not, in floating point).
struct TransformRecord {
    bool valid = false;
    double k = 1.0;          // the transformation that was applied
    double z = 0.0;
    int nobs = 0;
    double z2th_before = 0.0;
    double z2th_after = 0.0;
    std::array<double, dataset::max_obs + 1> ot_before{};
    std::array<double, dataset::max_obs + 1> ot_after{};
};

struct PatternSettings {
    double F = 1.0;          // OB scaling factor of typed 2Theta or sinsq theta
    double tr_k = 1.0;       // last linear 2Theta transformation: factor
    double tr_z = 0.0;       //   and constant
    int ob_type = 0;         // how the last OB pattern was typed: 1 2Th, 2 sinsq, 3 Q, 4 d
    int line_width = 3;      // line-number width of listings
    double editor_scale = 1.0;
    int editor_count = 0;
    TransformRecord last_transform;
};

} // namespace pattern
