// The QDAT input file of an external indexing run: a title line, the
// parameter line whose fields select and steer the program, the LOSHFZRF
// basis-set lines, "CONT", then observed 2Theta values with intensities.
#pragma once

#include <array>
#include <string>

#include "dataset/dataset.hpp"
#include "dataset/limits.hpp"
#include "indexing/programs.hpp"

namespace console {
class Console;
}
namespace console {
class TextFile;
}

namespace indexing {

// Everything the launcher has asked for one run.
struct RunParameters {
    const Program* program = nullptr;
    int lines = 0;              // observed lines offered to the program (first n)
    int dichotomy = 0;          // LZON: lines used in its dichotomy search
    int dicvol_mode = 0;        // 0 all down to monoclinic, 1 high, 2 low, 3 triclinic
    int nspuri = 0;
    double del2th = 0.0;
    double volmin = 0.0;
    double volmax = 0.0;        // 0: not written
    bool volmax_default = true;
    bool taup_monoclinic = false;
    bool taup_all_solutions = false;  // TAUP option "X"
    char iort = 'A';            // KOHL crystal systems
    int zones = 8;              // LZON basis zones
    char zone_measure = 'I';    // I Ishida & Watanabe PM, C ITO6 CRIT
    std::array<double, 4> basis{};  // LOSHFZRF Q(A), Q(B), Q(C), Q(F)
    bool lrectan = false;
    double fmineq = 0.0;
    int ngrid = 3;              // McMaille: 3 Monte Carlo, 4 with grid search
    bool unit_intensities = false;
};

bool is_family(const RunParameters& p, std::string_view family);

// The observed lines a run writes: the first p.lines of the pattern (all
// p.lines of them for LZON too), without McMaille's lines of code 0 or less
// when it uses the actual intensity codes, and without lines whose 2Theta
// is neither stored nor computable from Q.
struct LineSelection {
    int count = 0;
    std::array<int, dataset::max_obs + 1> line{};  // 1..count: observed line numbers
    std::array<double, dataset::max_obs + 1> two_theta{};
};
void select_lines(const RunParameters& p, const dataset::Dataset& ds, LineSelection& sel);

// The parameter line (without its line end).
std::string parameter_line(console::Console& con, const RunParameters& p,
                           const dataset::Dataset& ds);
// The two LOSHFZRF lines after the parameter line.
std::string basis_set_line(const RunParameters& p, const dataset::Dataset& ds);
std::string basis_count_line(const RunParameters& p, int lines_written);

// 2Theta in ten characters: 6 decimals, 5 from 99.9999995 on.
std::string two_theta_text(double two_theta);
// The intensity written for observed line i (imax: the largest |OI|).
int intensity_value(const RunParameters& p, const dataset::Dataset& ds, int i, double imax);
std::string observed_line(const RunParameters& p, const dataset::Dataset& ds,
                          const LineSelection& sel, int k, double imax);

// Writes the whole file; false when a write failed (reported by the writers).
bool write_qdat(console::Console& con, console::TextFile& f, const RunParameters& p,
                const dataset::Dataset& ds, const std::string& title_line,
                const LineSelection& sel);

} // namespace indexing
