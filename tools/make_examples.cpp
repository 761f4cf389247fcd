// Writes the sample datasets of examples/: powder patterns of well-known
// materials computed from their published cells for CuKa1, saved by the
// system's own dataset writer.
//
//   make_examples [directory]      (default: the current directory)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "console/console.hpp"
#include "control/session.hpp"
#include "dataset/cdt_file.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"

namespace {

struct Material {
    const char* name;   // dataset name, at most 8 characters
    const char* title;
    double a, b, c, alpha, beta, gamma;  // Angstroms, degrees
    // Reflection conditions of the space group (lattice and glides).
    std::function<bool(int, int, int)> allowed;
    int max_lines;
    // 2Theta step the lines are rounded to, as a diffractometer reports
    // them (0: exact). Rounding gives the merit figures realistic values.
    double two_theta_step = 0.0;
};

// Q = 10000 / d^2 from the reciprocal metric, the inverse of the direct one.
double q_of(const Material& m, int h, int k, int l)
{
    const double r = M_PI / 180.0;
    const double ca = std::cos(m.alpha * r), cb = std::cos(m.beta * r), cg = std::cos(m.gamma * r);
    double g[3][3] = {{m.a * m.a, m.a * m.b * cg, m.a * m.c * cb},
                      {m.a * m.b * cg, m.b * m.b, m.b * m.c * ca},
                      {m.a * m.c * cb, m.b * m.c * ca, m.c * m.c}};
    double det = g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) -
                 g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
                 g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
    double inv[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            inv[i][j] = (g[i1][j1] * g[i2][j2] - g[i1][j2] * g[i2][j1]) / det;
        }
    const int v[3] = {h, k, l};
    double s = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            s += v[i] * inv[i][j] * v[j];
    return 10000.0 * s;
}

bool even(int n) { return n % 2 == 0; }

// The distinct Q values of the allowed reflections that CuKa1 reaches, in
// ascending order; equivalent reflections share a Q and count once.
std::vector<double> pattern_q(const Material& m, const dataset::Dataset& ds)
{
    const double q_limit = 1.0 / ds.K;  // 2Theta = 180
    std::vector<double> qs;
    const int n = 14;
    for (int h = -n; h <= n; ++h)
        for (int k = -n; k <= n; ++k)
            for (int l = -n; l <= n; ++l) {
                if ((h == 0 && k == 0 && l == 0) || !m.allowed(h, k, l))
                    continue;
                double q = q_of(m, h, k, l);
                if (q < q_limit * 0.999)
                    qs.push_back(q);
            }
    std::sort(qs.begin(), qs.end());
    std::vector<double> distinct;
    for (double q : qs)
        if (distinct.empty() || q - distinct.back() > 1e-6 * q)
            distinct.push_back(q);
    if (static_cast<int>(distinct.size()) > m.max_lines)
        distinct.resize(m.max_lines);
    return distinct;
}

bool write_example(control::Session& s, const Material& m, const std::string& dir)
{
    dataset::Dataset& ds = s.ds;
    ds = dataset::Dataset();
    ds.Dset = m.name;
    ds.Title = m.title;  // at most 69 characters, as the title editor keeps
    ds.Dflag = 1;  // the lines are given as 2Theta
    std::vector<double> qs = pattern_q(m, ds);
    ds.Nobs = static_cast<int>(qs.size());
    for (int i = 1; i <= ds.Nobs; ++i) {
        ds.OQ[i] = qs[i - 1];
        if (!dataset::two_theta_from_q(ds, ds.OQ[i], 0.0, ds.OT[i]))
            return false;
        if (m.two_theta_step > 0.0) {
            ds.OT[i] = std::round(ds.OT[i] / m.two_theta_step) * m.two_theta_step;
            if (!dataset::q_from_2theta(ds, ds.OT[i], 0.0, ds.OQ[i]))
                return false;
        }
    }
    console::TextFile f;
    std::string path = dir + m.name + ".CDT";
    if (!dataset::open_write(s.con, f, path, 'O'))
        return false;
    bool ok = dataset::write_dataset(s, ds, f, m.name, dataset::LineSelection::all);
    ok = dataset::close_write(s.con, f) && ok;
    std::printf("%s: %d lines, 2Theta %.3f to %.3f\n", path.c_str(), ds.Nobs, ds.OT[1], ds.OT[ds.Nobs]);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dir = argc > 1 ? argv[1] : "";
    if (!dir.empty() && dir.back() != '/')
        dir += '/';

    const std::vector<Material> materials = {
        // Silicon, diamond structure Fd-3m: F centring and the d-glide
        // (h+k+l = 4n when all indices are even). CuKa1 reaches 12 lines, 111 to 444.
        {"SILICON", "Silicon Si, cubic Fd-3m, a=5.43088 A; lines computed from the cell",
         5.43088, 5.43088, 5.43088, 90, 90, 90,
         [](int h, int k, int l) {
             bool all_even = even(h) && even(k) && even(l);
             bool all_odd = !even(h) && !even(k) && !even(l);
             return all_odd || (all_even && (h + k + l) % 4 == 0);
         },
         30},
        // Corundum alpha-Al2O3, R-3c on hexagonal axes (obverse): -h+k+l = 3n,
        // and l even for h,-h,0,l and its equivalents h,0,-h,l and 0,k,-k,l.
        {"CORUNDUM", "Corundum alpha-Al2O3, R-3c (hexagonal axes), a=4.7589 c=12.991 A",
         4.7589, 4.7589, 12.991, 90, 90, 120,
         [](int h, int k, int l) {
             if ((-h + k + l) % 3 != 0)
                 return false;
             return (h != 0 && k != 0 && k != -h) || even(l);
         },
         25},
        // Gypsum CaSO4.2H2O: on these axes the cell is body-centred, I2/a:
        // h+k+l even; h0l with h and l even (its strong lines -121, -141 and
        // -12-1 at 4.28, 3.06 and 2.87 A need the I centring).
        {"GYPSUM", "Gypsum CaSO4.2H2O, I2/a, a=5.679 b=15.202 c=6.522 A, beta=118.43 deg",
         5.679, 15.202, 6.522, 90, 118.43, 90,
         [](int h, int k, int l) { return even(h + k + l) && (k != 0 || (even(h) && even(l))); },
         30},
        // Malachite Cu2(CO3)(OH)2, primitive monoclinic P21/a (Zigan et al.
        // 1977): h0l with h even, 0k0 with k even. Its short c axis puts many
        // lines in the hk0 zone, a basis set the merit maps start from; the
        // lines are rounded to 0.01 deg so that the maps look as they do for
        // measured data.
        {"MALACHIT", "Malachite Cu2CO3(OH)2, P21/a, a=9.502 b=11.974 c=3.240 A, beta=98.75",
         9.502, 11.974, 3.240, 90, 98.75, 90,
         [](int h, int k, int l) {
             if (k == 0 && !even(h))
                 return false;
             return !(h == 0 && l == 0 && !even(k));
         },
         30, 0.01},
    };

    console::PosixBackend backend;
    console::Console con(backend);
    control::Session s(con);
    bool ok = true;
    for (const Material& m : materials)
        ok = write_example(s, m, dir) && ok;
    con.flush();
    return ok ? 0 : 1;
}
