// Settings kept by the pattern commands between calls.
#pragma once

namespace pattern {

struct PatternSettings {
    double F = 1.0;          // OB scaling factor of typed 2Theta or sinsq theta
    double tr_k = 1.0;       // last linear 2Theta transformation: factor
    double tr_z = 0.0;       //   and constant
    int ob_type = 0;         // how the last OB pattern was typed: 1 2Th, 2 sinsq, 3 Q, 4 d
    int line_width = 3;      // line-number width of listings
    double editor_scale = 1.0;
    int editor_count = 0;
};

} // namespace pattern
