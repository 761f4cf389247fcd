// Locale-independent number formatting: the w:d rule used by every listing
// and file (right-aligned in at least w characters, never cut).
#pragma once

#include <string>

namespace console {

// x with d decimals, right-aligned in at least w characters; d = 0 gives the
// value rounded to an integer without a decimal point. Ties round away from
// zero, as the original listings do.
std::string real_text(double x, int w, int d);

// x with up to six decimals, trailing zeros dropped down to one ("84.9",
// "25.0", "0.0001"); a negative zero shows as "0.0".
std::string compact_real(double x);

// i right-aligned in at least w characters.
std::string int_text(long long i, int w);

// The default floating format of reals in messages: sign or blank, one digit,
// point, 14 digits, "E", sign, four exponent digits (" 1.50000000000000E+0000").
std::string default_real_text(double x);

} // namespace console
