// The working dataset: observed pattern, settings, trial cell and calculated
// pattern, as one record of plain fields and fixed-capacity arrays. Arrays are
// indexed from 1 as lines and cell rows are numbered; element 0 is unused
// except as the calculated-pattern sentinel.
#pragma once

#include <array>
#include <string>

#include "dataset/limits.hpp"

namespace dataset {

inline constexpr const char* default_title = "(No title provided yet)";
inline constexpr double cuka1 = 1.5406;  // default wavelength, CuKa1 in Angstroms

using CellRow = std::array<double, 7>;   // rows 1..6
using IndexRow = std::array<int, 7>;     // rows 1..6

struct Dataset {
    // ---- identification ----
    std::string Dset = "WORK";
    std::string prev_name = "WORK";
    std::string Title = default_title;
    std::string Datestamp;
    std::string data_dir;       // path prefix ending in "/", empty = start-up directory
    std::string name_append;    // requested by RS and EP for the next save
    std::string title_append;

    // ---- settings ----
    double W0 = cuka1;
    double K = cuka1 * cuka1 / 40000.0;  // wavelength factor, always W0^2/40000
    double Z2Th = 0.0;                   // zero correction: 2Thcorr = 2Thobs + Z2Th
    int Dflag = 0;                       // 0 data given as Q or d, 1 as 2Theta
    std::string Abs = "P";
    int abs_code = 1;
    double Qmax = 0.0;                   // 0 = not set
    IndexRow GL{};                       // given index limits hmin..lmax
    int Gflag = 0;
    IndexRow WL{};                       // working index limits of the last pattern
    int Iflag = 0;                       // lines carry intensities
    int ikind = 0;                       // 0 intensity codes, 1 measured intensities
    double Imax = 0.0;                   // largest |OI|

    // ---- observed pattern ----
    int Nobs = 0;
    int Nloaded = 0;                     // lines as last loaded
    std::array<double, max_obs + 1> OQ{};
    std::array<int, max_obs + 1> OH{}, OK{}, OL{};
    std::array<double, max_obs + 1> OT{};  // stored 2Theta, without Z2Th
    std::array<double, max_obs + 1> OI{};
    std::array<int, max_obs + 1> icode{};  // intensity code -9..9
    std::array<bool, max_obs + 1> included{};

    // ---- cell block ----
    int Ctype = 0;                       // 0 none, 1 direct, 2 powder constants, 3 Delaunay
    CellRow DD{0, 0, 0, 0, 90, 90, 90};
    CellRow PP{};
    CellRow QQ{};
    CellRow RR{0, 0, 0, 0, 90, 90, 90};
    CellRow DSC{0, 1, 1, 1, 0, 0, 0};
    CellRow RSC{0, 1, 1, 1, 0, 0, 0};
    double V = 0.0;
    double Vstar = 0.0;
    int cell_valid = 0;                  // a*b*c of the direct cell non-zero
    std::array<double, 4> Q2A{};         // 1..3: factors from reciprocal cosines to Q(D..F)

    // ---- calculated pattern ----
    int Ncalc = 0;
    std::array<double, max_calc + 1> CQ{};
    std::array<int, max_calc + 1> CH{}, CK{}, CL{};

    Dataset() { included.fill(true); }

    void set_wavelength(double w)
    {
        W0 = w;
        K = w * w / 40000.0;
    }
};

} // namespace dataset
