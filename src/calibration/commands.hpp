// The calibration commands.
#pragma once

namespace control {
struct Session;
}

namespace calibration {

// SC: zero correction or specimen-displacement ratio from pairs of first and
// second orders.
void self_calibrate(control::Session& s);

} // namespace calibration
