// Number formatting under the "C" conventions, whatever the locale.
#include "console/format.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace console {

namespace {

std::string pad_left(std::string s, int w)
{
    if (w > 0 && static_cast<int>(s.size()) < w)
        s.insert(0, static_cast<std::size_t>(w) - s.size(), ' ');
    return s;
}

// snprintf rounds exact binary ties to even; the listings round them away
// from zero. Nudge such a value one ulp outward before formatting.
double away_from_zero_ties(double x, int d)
{
    if (!std::isfinite(x) || d > 15)
        return x;
    long double scaled = std::fabs(static_cast<long double>(x));
    for (int i = 0; i < d; ++i)
        scaled *= 10.0L;
    if (scaled > 1e17L)
        return x;
    long double frac = scaled - std::floor(scaled);
    if (frac == 0.5L)
        return std::nextafter(x, x < 0 ? -INFINITY : INFINITY);
    return x;
}

} // namespace

std::string compact_real(double x)
{
    std::string text = real_text(x, 0, 6);
    const std::size_t point = text.find('.');
    while (text.size() > point + 2 && text.back() == '0')
        text.pop_back();
    return text == "-0.0" ? "0.0" : text;
}

std::string real_text(double x, int w, int d)
{
    if (d < 0)
        d = 0;
    if (std::isnan(x))
        return pad_left("Nan", w);
    if (std::isinf(x))
        return pad_left(x > 0 ? "+Inf" : "-Inf", w);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", d, away_from_zero_ties(x, d));
    return pad_left(buf, w);
}

std::string int_text(long long i, int w)
{
    return pad_left(std::to_string(i), w);
}

std::string default_real_text(double x)
{
    if (std::isnan(x))
        return "                    Nan";
    if (std::isinf(x))
        return x > 0 ? "                   +Inf" : "                   -Inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", x);
    // buf: [-]d.ddddddddddddddE[+-]x[x..]; widen the exponent to four digits.
    std::string s = buf;
    std::size_t e = s.find('E');
    std::string mantissa = s.substr(0, e);
    char esign = s[e + 1];
    std::string digits = s.substr(e + 2);
    while (digits.size() < 4)
        digits.insert(0, "0");
    if (mantissa[0] != '-')
        mantissa.insert(0, " ");
    return mantissa + "E" + esign + digits;
}

} // namespace console
