// HO: lines of the observed pattern that may be higher orders of others,
// and the tolerance question shared with self-calibration.
#pragma once

#include <string_view>

#include "dataset/dataset.hpp"

namespace console {
class Console;
class Sink;
}

namespace pattern {

struct HarmonicsSettings {
    double q_tolerance = 1.5;            // QU., 0 to 50
    double two_theta_tolerance = 0.03;   // degrees, 0 to 0.25
};

// The run's tolerances, kept by this module.
HarmonicsSettings& harmonics_settings();

enum class Criterion { two_theta, q };
enum class Direction { down, up };

// The match lines of the search, a blank line after each line with matches,
// and the messages of orders beyond the wavelength limit.
void harmonics_search(const dataset::Dataset& ds, Criterion criterion, Direction direction,
                      double tolerance, console::Sink& out);

// The question line, the current-value line, then "  Input new value:  " and
// two empty lines; asked again after `range_message` while the value lies
// outside 0 to `highest`. ENTER keeps `current`.
double ask_tolerance(console::Console& con, std::string_view question,
                     std::string_view current_line, double current, double highest,
                     std::string_view range_message);

} // namespace pattern
