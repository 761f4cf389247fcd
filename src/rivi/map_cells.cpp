// The two-character coloured cells of a merit map and its row labels: the
// value's tens in base 36, then its units.
#include <cmath>
#include <string_view>

#include "console/console.hpp"
#include "console/format.hpp"
#include "rivi/map_engine.hpp"

namespace rivi {

namespace {

constexpr int white = 15;
constexpr char bar = '\xDD';  // the broken bar of the vertical axis

// The value as a whole number, halves to the even integer, kept in 0..65535.
long rounded(double v)
{
    const double r = std::nearbyint(v);
    if (!(r > 0.0))
        return 0;
    return r > 65535.0 ? 65535 : static_cast<long>(r);
}

} // namespace

std::string cell_text(double v, char reject)
{
    if (v == 0.0)
        return std::string(" ") + reject;
    const long n = rounded(v);
    const long t = n / 10;
    char first = ' ';
    if (t >= 36)
        first = '<';
    else if (t >= 10)
        first = static_cast<char>('A' + (t - 10));
    else if (t >= 1)
        first = static_cast<char>('0' + t);
    char second;
    if (n == 0)
        second = ' ';
    else if (n == 1)
        second = '.';
    else if (t > 35)
        second = '>';
    else
        second = static_cast<char>('0' + (n - 10 * t));
    return std::string{first, second};
}

int cell_colour(double v)
{
    static constexpr int by_tens[] = {white, 1, 2, 3};
    const long t = v == 0.0 ? 0 : rounded(v) / 10;
    return t < 4 ? by_tens[t] : 4;
}

void draw_cell(console::Console& con, double v, char reject)
{
    con.text_color(cell_colour(v));
    con.put(cell_text(v, reject));
    con.text_color(white);
}

std::string row_label(double y, int decimals)
{
    return console::real_text(y, decimals + 6, decimals) + "  ";
}

std::string thumbnail_label(const MapGrid& g, int r)
{
    if (r == g.rmin || r == 0 || r == g.rmax)
        return console::real_text(r * g.sy + g.y0, g.label_decimals + 4, g.label_decimals) + " ";
    return std::string("    ") + bar + " ";
}

} // namespace rivi
