// Shared operations on the working dataset: ordering by Q, the Q / 2Theta / d
// conversions, intensity codes and the absences flag.
#pragma once

#include <string>
#include <string_view>

#include "dataset/dataset.hpp"

namespace console {
class Console;
}

namespace dataset {

// True when some line has a smaller OQ than the line before it.
bool out_of_order(const Dataset& ds);
// Shell sort of the observed lines by OQ (the gap sequence decides the order
// of equal values). With `announce`, says so first.
void order_by_q(console::Console& con, Dataset& ds, bool announce);
void order_by_q(Dataset& ds);

// Q of a stored 2Theta with the zero correction; false when 2Theta + z is not
// strictly between 0 and 180 or K is not positive.
bool q_from_2theta(const Dataset& ds, double two_theta, double z, double& q);
// The stored 2Theta (true angle minus z) of a Q; false beyond the wavelength limit.
bool two_theta_from_q(const Dataset& ds, double q, double z, double& two_theta);
double q_from_d(double d);

// Intensity codes from measured intensities on a logarithmic 1..9 scale.
void derive_intensity_codes(Dataset& ds);
// Three letters and "?" for a negative code or " ".
std::string intensity_code_text(int code);

// Parses an absences flag (P, A, B, C, I, F, R1, R2); reports an undefined one.
bool parse_absences(console::Console& con, std::string_view text, int& code);
bool absences_code(std::string_view text, int& code);

void clear_indices(Dataset& ds);

} // namespace dataset
