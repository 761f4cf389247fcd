// The ab initio scans: one or two cell parameters searched directly against
// the observed lines (a row of Q(A), a row with a zero or displacement
// correction, a rhombic zone of Q(A) and gamma*, a rectangular zone), their
// peaks refined by parabolic steps; and the pieces the scans are built of.
#pragma once

#include <array>
#include <string>

#include "rivi/map_state.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace rivi {

inline constexpr int max_scan_steps = 5000;   // points of the Q(A) loop, and of a zone row
inline constexpr double far_axis = 1000000.0; // a diagonal constant that puts an axis out of reach

// ---- what is scanned ----

// row: Q(A) alone. z2th, tcor: Q(A) with a zero or displacement correction
// of the observed lines. gamma: a zone with Q(A) = Q(B) and the angle gamma*
// between them (refined as Q(F)). rect: a rectangular zone hk0 over Q(A) and
// Q(B), or over a and b in Angstroms when `direct` is set.
enum class ScanKind { row, z2th, tcor, gamma, rect };

struct ScanSettings {
    ScanKind kind = ScanKind::row;
    bool direct = false;       // rect: a and b (A), scanned downwards
    bool row_buffer = false;   // rect: the three-row peak search of the maps
    char mchar = 'I';          // figure of merit
    double threshold = 1.5;    // smallest value entered as a peak
    bool express = true;       // duplicates removed without asking
    bool dynamic = true;       // Q(A) (and Q(B)) steps proportional to the value
    bool suppress = true;      // intermediate output suppressed
    double min1 = 0.0, max1 = 0.0, step1 = 0.2;  // Q(A), or a
    double min2 = 0.0, max2 = 0.0, step2 = 0.0;  // the second parameter
    int nobsused = 0;          // lines 1..nobsused are compared
    double pmin = 0.0001;      // Pmin of the scan (asked for Pr)
};

// Names of the scanned quantities as the tables show them.
std::string first_name(const ScanSettings& ss);   // "Q(A)" or "a"
std::string second_name(const ScanSettings& ss);  // "Z2Th", "Tcor", "gamma*", "Q(B)" or "b"

// ---- steps along one parameter ----

// Dynamic steps of Q(A) and Q(B) (QU.), Z2Th (deg) and Tcor.
struct StepBounds {
    double smallest, largest;
};
inline constexpr StepBounds q_steps{0.1, 1.0};
inline constexpr StepBounds z2th_steps{0.01, 0.01};
inline constexpr StepBounds tcor_steps{0.0001, 0.0001};

// 0.002 times the value, held between the bounds: the number of trials per
// decade of the value is constant.
double dynamic_step(double v, StepBounds b);

// The points of one parameter, 1..n.
struct ScanAxis {
    int n = 0;
    bool cut = false;  // the step limit ended the axis before its end
    std::array<double, max_scan_steps + 1> v{};
};

// start + (i - 1) * step for n = trunc((end - start) / step) + 1 points (a
// negative step runs downwards); at most max_scan_steps of them.
void fixed_axis(ScanAxis& a, double start, double end, double step);
// From start while below end, each step the dynamic step of the value
// reached; at most max_scan_steps points.
void dynamic_axis(ScanAxis& a, double start, double end, StepBounds b);

// ---- default ranges ----

// Q(A) ranges of the scans (QU.), from the first and last observed lines used.
struct QRange {
    double min, max;
};
QRange row_scan_range(double q_first, double q_last);     // at least 25 .. 500
QRange z2th_scan_range(double q_first, double q_last);    // at least 25 .. 1000
QRange gamma_scan_range(double q_first, double q_last);   // at least 16 .. 1000
QRange qb_scan_range(double q_first, double q_last);      // at least 16 .. 500
// 100 / sqrt(Q) rounded to two decimals: the side of a row of Q.
double side_of(double q);

// ---- trials ----

// The six constants of a scan trial at (x, y): y is the correction for the
// z2th and tcor kinds (the trial is the row), Q(F) for gamma, Q(B) or b for
// rect.
Q6 scan_trial(const ScanSettings& ss, double x, double y);
// Q(F) = 2 Q(A) cos gamma* of a zone with Q(A) = Q(B); exactly 0 at 90 deg.
double cross_constant(double qa, double gamma);
// gamma* of that zone; false when |Q(F)| > 2 Q(A) (no such angle).
bool zone_angle(double qa, double qf, double& gamma);

// ---- peaks ----

// Appends a peak; on a full list the stored peak with the smallest raw
// value (the first on ties) gives way to it, whatever its value.
void add_scan_peak(PeakList& list, double x, double y, double v);

// The peak rule along a line of points: a value above the threshold and
// above the running candidate becomes the candidate; a value not above a
// positive candidate enters the candidate as a peak and clears it; anything
// else clears it. So on a falling slope every second point above the
// threshold enters; refinement and duplicate removal merge them.
class RunningPeak {
public:
    explicit RunningPeak(double threshold) : threshold_(threshold) {}
    // True when a peak was entered.
    bool feed(PeakList& list, double x, double y, double v);
    void restart() { candidate_ = 0.0; }

private:
    double threshold_;
    double candidate_ = 0.0;
    double cx_ = 0.0, cy_ = 0.0;
};

// Keeps one peak of each group closer than d in both coordinates (the one
// of best raw rank, in the place of the first); returns the number removed.
int select_zone_peaks(PeakList& list, double d);

// The centred rectangular zone equivalent to the rhombic zone Q(A) = Q(B) =
// x with cross constant qf: theta is half the smaller of gamma* and its
// supplement, Q(A)' = x sin^2 theta, Q(B)' = x cos^2 theta.
void centred_rectangular(double x, double qf, double& qa, double& qb);

// ---- step predictors ----

// The change of Q for a change d2t (deg) of 2Theta at the 2Theta of q,
// to first order: dQ = sin(2 theta) / (2 K) * d2t in radians.
double dQ_from_d2T(double q, double K, double d2t);
// The Q(A) step that moves the line of a row at q_high by dQ_from_d2T:
// lines of a row move in proportion to their Q, and the highest relative
// to its own step the most.
double dQA_from_d2T(double qa, double q_high, double K, double d2t);

// ---- evaluation ----

// The trials of one scan through the scans' evaluator calcfm: each value is
// the figure of merit of the settings, Pr divided by the display divisor.
// The correction kinds shift the observed lines by the dataset's zero plus
// the trial's own correction and recompute the line zones when it changes.
class ScanTrials {
public:
    ScanTrials(control::Session& s, const ScanSettings& ss);
    double at(double x, double y);
    // points (xs[i], ys[i]), i = 0..n-1, in order: as n calls of at().
    void run(const double* xs, const double* ys, int n, double* values);
    // Parabolic refinement of x (and y when `both`) from the first steps
    // dx, dy; returns the refined value and leaves the refined position.
    double refine(double& x, double& y, double dx, double dy, bool both);

private:
    void displace(double tcor);

    control::Session& s_;
    const ScanSettings& ss_;
    double zoned_ = 0.0;    // the correction the line zones were made for
    bool zones_made_ = false;
};

// Sets what every scan evaluation reads and restores what the scan must
// not change: the previous Pmin, the map's figure of merit and evaluator
// switch, when it goes out of scope.
class ScanSetup {
public:
    // Resets as a scan starts: Vmax 6000, Qmax of the trials, Pthresh,
    // every line in use, no zero-level suppression, the peak list cleared,
    // the zones of the lines used. Pmin: 0.0001, or the settings' for Pr.
    ScanSetup(control::Session& s, const ScanSettings& ss);
    ~ScanSetup();
    ScanSetup(const ScanSetup&) = delete;
    ScanSetup& operator=(const ScanSetup&) = delete;

private:
    control::Session& s_;
    double Pmin_;
    char Mchar_;
    bool use_calcfm_;
};

// ---- the engines ----

// "** Exceeds limit of 5000 Q(A) steps: ..." when the limit cut the axis.
void write_axis_cut(console::Console& con, const std::string& name, const ScanAxis& a);

// The row scan of Q(A), and the scans of two parameters.
void row_scan(control::Session& s, const ScanSettings& ss);
void zone_scan(control::Session& s, const ScanSettings& ss);

// ---- the stages after a scan ----

// Tables, refinement and duplicates, as the engines share them.
struct ScanReport {
    ScanReport(control::Session& session, const ScanSettings& settings);
    control::Session& s;
    const ScanSettings& ss;
    std::string fom;        // "Ir", "Pr" or "M1"
    std::string names;      // "Q(A)" or "Q(A) & Z2Th"
    bool two_columns;       // the peaks have a second coordinate: all but the row scan
};
// After the primary scan: "no peaks" (false), or the peaks ranked on their
// raw value and, unless suppressed, the largest value of the scan (`best`
// at `where`) and the table of raw peaks.
bool raw_peaks(const ScanReport& r, const std::string& scan_name, double best,
               const std::string& where);
// `title` and the refined table (at most `limit` rows, 0 all), after an
// empty line when `apart`; coordinates named `x_name`, `y_name` when given
// are Q values of four decimals.
void refined_table(const ScanReport& r, const std::string& title, int limit = 0,
                   const std::string& x_name = "", const std::string& y_name = "",
                   bool apart = true);
// Q(A) alone from the raw peaks, both parameters from the raw peaks, or
// both again from the refined ones.
enum class RefinePass { q_only, both, further };
// Refines every peak, listing each under `heading` unless suppressed; a
// gamma* peak whose cosine leaves the range is discarded.
void refine_peaks(const ScanReport& r, ScanTrials& trials, RefinePass pass,
                  const std::string& heading);
// Whether duplicates are to be removed: in express mode yes, else asked.
bool duplicates_wanted(const ScanReport& r);
// The first refinement of the raw peaks over [label], its table unless
// suppressed, and the duplicates removed when wanted (returned).
bool first_refinement(const ScanReport& r, ScanTrials& trials, RefinePass pass,
                      const std::string& label);
// Removes duplicate refined peaks (crosswise too for rectangular zones) and
// reports, with the table of unique peaks labelled [label]; `again` for the
// pass after a further refinement.
void remove_scan_duplicates(const ScanReport& r, const std::string& label, bool again);

} // namespace rivi
