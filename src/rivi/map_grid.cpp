// The geometry of a merit map: the grids of the quick and full scans, the
// quick views, and the names of a section's axes.
#include "rivi/map_run.hpp"

#include <cmath>

#include "console/utilities.hpp"

namespace rivi {

double step_for(int n)
{
    struct Band {
        int below;
        double step;
    };
    static constexpr Band bands[] = {{4, 0.2},    {8, 0.5},    {13, 1.0},   {18, 1.5},
                                     {23, 2.0},   {33, 2.5},   {45, 4.0},   {70, 5.0},
                                     {125, 10.0}, {175, 15.0}, {225, 20.0}, {325, 25.0},
                                     {445, 40.0}, {695, 50.0}};
    for (const Band& b : bands)
        if (n < b.below)
            return b.step;
    return 100.0;
}

void section_products(char section, const Q6& basis, double& px, double& py)
{
    // The cross constant Q(D) lies between Q(B) and Q(C), Q(E) between Q(C)
    // and Q(A), Q(F) between Q(A) and Q(B).
    auto product = [&](int constant) {
        switch (constant) {
        case 4: return basis[2] * basis[3];
        case 5: return basis[3] * basis[1];
        default: return basis[1] * basis[2];
        }
    };
    px = product(x_constant(section));
    py = product(y_constant(section));
}

namespace {

// The default quick-scan step: in angle mode half the base step downwards
// (reciprocal angles fall as the cross constants grow), in Q mode a round
// number near a tenth of the largest cross constant.
double quick_step(bool angle_mode, double base, double p)
{
    if (angle_mode)
        return base * -0.5;
    return step_for(static_cast<int>(std::lround(std::sqrt(p) * base / 10.0)));
}

MapGrid quick_grid(bool angle_mode, double base, double px, double py)
{
    MapGrid g;
    g.x0 = g.y0 = angle_mode ? 90.0 : 0.0;
    g.sx = quick_step(angle_mode, base, px);
    g.sy = quick_step(angle_mode, base, py);
    g.k = 1;
    g.L = 0;
    return g;
}

MapGrid centred_angle_grid(double x0, double y0, double step, int half_columns, int half_rows)
{
    MapGrid g;
    g.x0 = x0;
    g.y0 = y0;
    g.sx = g.sy = step;
    g.cmin = -half_columns;
    g.cmax = half_columns;
    g.rmin = -half_rows;
    g.rmax = half_rows;
    g.k = 1;
    g.L = 0;
    g.label_decimals = label_decimals(step);
    return g;
}

} // namespace

MapGrid quick_grid_from_origin(bool angle_mode, bool one_quadrant, double px, double py)
{
    MapGrid g = quick_grid(angle_mode, 1.0, px, py);
    g.cmin = 0;
    g.cmax = 30;
    g.rmin = one_quadrant ? 0 : -20;
    g.rmax = 20;
    g.label_decimals = label_decimals(g.sy);
    return g;
}

MapGrid quick_grid_centred(bool angle_mode, double x0, double y0, double px, double py)
{
    MapGrid g = quick_grid(angle_mode, 0.2, px, py);
    g.x0 = x0;
    g.y0 = y0;
    g.cmin = -15;
    g.cmax = 15;
    g.rmin = -10;
    g.rmax = 10;
    g.label_decimals = label_decimals(g.sy);
    return g;
}

MapGrid thumbnail_grid(double x0, double y0) { return centred_angle_grid(x0, y0, -0.2, 6, 4); }

MapGrid section_grid(double x0, double y0) { return centred_angle_grid(x0, y0, -0.1, 15, 10); }

MapGrid full_scan_grid(bool angle_mode, double amin, double px, double py, bool one_quadrant)
{
    MapGrid g;
    double half_x, half_y;
    if (angle_mode) {
        g.x0 = g.y0 = 90.0;
        g.sx = g.sy = -0.1;
        half_x = half_y = 90.0 - amin;
    } else {
        // The largest cross constant that keeps the angle above amin.
        const double c = std::cos(amin / console::deg_per_rad);
        g.x0 = g.y0 = 0.0;
        g.sx = g.sy = 0.5;
        half_x = 2.0 * std::sqrt(px) * c;
        half_y = 2.0 * std::sqrt(py) * c;
    }
    // Half-widths within a millionth of a step of a whole number of steps are
    // taken as that number (the degree factor leaves such noise).
    const double step = std::fabs(g.sx);
    g.L = static_cast<int>(half_x / step + 1e-6);
    g.k = 1;
    while (static_cast<double>(g.L) / g.k > 30.0)
        ++g.k;
    // The clusters hold the L + 1 points 0..L; the last may be short.
    g.cmin = 0;
    g.cmax = (g.L + g.k) / g.k - 1;
    const int m = static_cast<int>(std::ceil(half_y / step - 1e-6));
    g.rmin = one_quadrant ? 0 : -m;
    g.rmax = m;
    g.label_decimals = label_decimals(g.sy);
    return g;
}

int label_decimals(double sy)
{
    const long long thousandths = std::llround(std::fabs(sy) * 1000.0);
    if (thousandths % 10 != 0)
        return 3;
    if ((thousandths / 10) % 10 != 0)
        return 2;
    return 1;
}

// ---- names ----

int x_constant(char section)
{
    switch (section) {
    case 'A': return 5;
    case 'B': return 6;
    default: return 4;
    }
}

int y_constant(char section)
{
    switch (section) {
    case 'A': return 6;
    case 'B': return 4;
    default: return 5;
    }
}

int fixed_constant(char section)
{
    switch (section) {
    case 'A': return 4;
    case 'B': return 5;
    default: return 6;
    }
}

std::string constant_name(int constant, bool angle_mode)
{
    static const char* const angles[] = {"alpha*", "beta*", "gamma*"};
    static const char* const constants[] = {"Q(D)", "Q(E)", "Q(F)"};
    const int i = constant - 4;
    if (angle_mode)
        return angles[i];
    return std::string(constants[i]) + " [" + angles[i] + "]";
}

std::string x_name(char section, bool angle_mode)
{
    return constant_name(x_constant(section), angle_mode);
}

std::string y_name(char section, bool angle_mode)
{
    return constant_name(y_constant(section), angle_mode);
}

std::string section_name_line(char section, bool angle_mode)
{
    return std::string(1, section) + "-section: " + x_name(section, angle_mode) + " (--) / " +
           y_name(section, angle_mode) + " (\xDD)";
}

std::string fom_name(char mchar)
{
    switch (mchar) {
    case 'P': return "Pr";
    case 'I': return "Ir";
    default: return "M1";
    }
}

std::string unit_name(bool angle_mode) { return angle_mode ? "deg" : "QU."; }

} // namespace rivi
