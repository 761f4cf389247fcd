// Ordering, conversions and intensity codes of the working dataset.
#include "dataset/model.hpp"

#include <cmath>
#include <utility>

#include "console/console.hpp"
#include "console/utilities.hpp"

namespace dataset {

bool out_of_order(const Dataset& ds)
{
    for (int i = 2; i <= ds.Nobs; ++i)
        if (ds.OQ[i] < ds.OQ[i - 1])
            return true;
    return false;
}

namespace {

// The fields of one observed line move together; the include flags stay.
void swap_lines(Dataset& ds, int i, int j)
{
    std::swap(ds.OQ[i], ds.OQ[j]);
    std::swap(ds.OH[i], ds.OH[j]);
    std::swap(ds.OK[i], ds.OK[j]);
    std::swap(ds.OL[i], ds.OL[j]);
    std::swap(ds.OT[i], ds.OT[j]);
    std::swap(ds.OI[i], ds.OI[j]);
    std::swap(ds.icode[i], ds.icode[j]);
}

} // namespace

void order_by_q(Dataset& ds)
{
    const int n = ds.Nobs;
    int m = 1;
    while (m * 2 <= n)
        m *= 2;
    // Gaps m-1, m/2-1, ..., 3, 1: the first gap 2m-1 is halved before each pass.
    for (int gap = (2 * m - 1) / 2; gap > 0; gap /= 2) {
        for (int j = 1; j <= n - gap; ++j) {
            for (int i = j; i >= 1 && ds.OQ[i + gap] < ds.OQ[i]; i -= gap)
                swap_lines(ds, i, i + gap);
        }
    }
}

void order_by_q(console::Console& con, Dataset& ds, bool announce)
{
    if (announce)
        con.line("Observed pattern needed sorting into ascending order of Q");
    order_by_q(ds);
}

bool q_from_2theta(const Dataset& ds, double two_theta, double z, double& q)
{
    double t = two_theta + z;
    if (!(t > 0.0 && t < 180.0) || !(ds.K > 0.0))
        return false;
    double s = std::sin(t / console::two_deg_per_rad);
    q = s * s / ds.K;
    return true;
}

bool two_theta_from_q(const Dataset& ds, double q, double z, double& two_theta)
{
    double x = ds.K * q;
    if (!(ds.K > 0.0) || !(1.0 - x > 0.0) || x < 0.0)
        return false;
    two_theta = std::atan(std::sqrt(x / (1.0 - x))) * console::two_deg_per_rad - z;
    return true;
}

double q_from_d(double d) { return d == 0.0 ? 0.0 : 10000.0 / (d * d); }

void derive_intensity_codes(Dataset& ds)
{
    if (ds.Nobs < 1)
        return;
    double imax = 0.0;
    double imin = 10000.0;
    for (int i = 1; i <= ds.Nobs; ++i) {
        double a = std::fabs(ds.OI[i]);
        if (a > imax) imax = a;
        if (a != 0.0 && a < imin) imin = a;
    }
    ds.Imax = imax;
    if (imax == 0.0) {
        for (int i = 1; i <= ds.Nobs; ++i)
            ds.icode[i] = 0;
        return;
    }
    if (imax == imin) {
        for (int i = 1; i <= ds.Nobs; ++i)
            ds.icode[i] = 5 * console::sign(ds.OI[i]);
        return;
    }
    // The scale always spans at least a factor of 20.
    if (imin > 0.05 * imax)
        imin = 0.05 * imax;
    double s = 8.0 / (std::log(imax) - std::log(imin));
    double o = 1.0 - s * std::log(imin);
    for (int i = 1; i <= ds.Nobs; ++i) {
        if (ds.OI[i] == 0.0) {
            ds.icode[i] = 0;
            continue;
        }
        // The small allowance keeps Imax on 9 against round-off in s and o.
        int c = static_cast<int>(s * std::log(std::fabs(ds.OI[i])) + o + 1e-9);
        if (c < 1) c = 1;
        if (c > 9) c = 9;
        ds.icode[i] = c * console::sign(ds.OI[i]);
    }
}

std::string intensity_code_text(int code)
{
    static const char* const letters[10] = {"abs", "vvw", " vw", "  w", " mw",
                                            "  m", " ms", "  s", " vs", "vvs"};
    int a = code < 0 ? -code : code;
    std::string t = a <= 9 ? letters[a] : "***";
    t += code < 0 ? '?' : ' ';
    return t;
}

bool absences_code(std::string_view text, int& code)
{
    static constexpr std::string_view flags = "P,A,B,C,I,F,R1,R2";
    if (text.empty() || flags.find(text) == std::string_view::npos)
        return false;
    switch (text[0]) {
    case 'P': code = 1; return true;
    case 'A': code = 2; return true;
    case 'B': code = 3; return true;
    case 'C': code = 4; return true;
    case 'I': code = 5; return true;
    case 'F': code = 6; return true;
    case 'R': code = text == "R1" ? 7 : 8; return true;
    default: return false;  // ",", "1", "2": pieces of the list that name no lattice
    }
}

bool parse_absences(console::Console& con, std::string_view text, int& code)
{
    if (absences_code(text, code))
        return true;
    con.line("  ** Undefined absences flag (" + std::string(text) + ") **");
    return false;
}

void clear_indices(Dataset& ds)
{
    for (int i = 1; i <= max_obs; ++i) {
        ds.OH[i] = 0;
        ds.OK[i] = 0;
        ds.OL[i] = 0;
    }
}

} // namespace dataset
