// Text, number and date utilities shared by every listing and file.
#pragma once

#include <string>
#include <string_view>

#include "console/sink.hpp"

namespace console {

class Console;

// ---- text ----
std::string blanks(int n);                           // n clamped to 0..255
std::string pad_to_column(const Console& con, int c); // blanks up to column c
std::string upper(std::string_view s);
std::string trim_right(std::string_view s);
std::string squeeze_upper(std::string_view s);       // blanks removed, upper case
std::string squeeze(std::string_view s);             // blanks removed
std::string left_part(std::string_view s, int n);
std::string right_part(std::string_view s, int n);
std::string quotes_to_apostrophes(std::string_view s);
std::string environment(const char* name);          // empty when not set

// ---- dates and times (local clock) ----
std::string date_stamp();    // "ddmmmyy", e.g. "08Dec26"
std::string time_stamp();    // "hh:nn:ss"
double seconds_of_day();

// ---- numbers ----
// The integer that s represents; any other text is an internal error that
// ends the program after its message (callers pass only numeric text).
int ival(Console& con, std::string_view s);
double sqrtdbl(Console& con, double x);
int sign(double x);
double cosine_to_sine(double x);
double angle_from_ratio(double y, double x);
// x as exactly ten characters, 8 - (integer digits) decimals.
std::string string10(Console& con, double x);

// Degrees per radian, to the ten significant digits the system uses.
inline constexpr double deg_per_rad = 57.29577951;
// Two times degrees per radian: 2Theta in degrees from theta in radians.
inline constexpr double two_deg_per_rad = 114.591559;

// ---- special values in aligned tables ----
void show_angle(Sink& out, double x, int w, int d, int k);
void show_zero(Sink& out, double x, int w, int d, int k);
void show_zero_one(Sink& out, double x, int w, int d, int k);
// show_zero to the screen when device is "D", else to the file.
void show_zero_device(Console& con, Sink& file, double x, int w, int d, int k);

// ---- in-place editing of a table cell ----
void edit_real(Console& con, std::string_view prompt, double& value, int w, int d);
void edit_real_shown(Console& con, std::string_view prompt, double& value, int w, int d, int k);
void edit_angle(Console& con, std::string_view prompt, double& value, int w, int d);

} // namespace console
