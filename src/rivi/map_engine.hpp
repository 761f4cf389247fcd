// The pieces of the map engine that its files share: cell drawing, the
// coordinate conversions of a section, the scan, the peak driver, the
// recording and the reports.
#pragma once

#include <string>

#include "console/textfile.hpp"
#include "rivi/map_state.hpp"

namespace console {
class Console;
class Sink;
}
namespace control {
struct Session;
}

namespace rivi {

// ---- cells and row labels ----

// The two characters of the scaled value v: exactly 0 shows the reject code.
std::string cell_text(double v, char reject);
// Console colour of the cell: by its tens, white, blue, green, cyan, red.
int cell_colour(double v);
// The value drawn for v with the display scale.
double displayed(double v, double mscale);
// Writes the cell in its colour and returns to white.
void draw_cell(console::Console& con, double v, char reject);
// A normal map's row label: Write(y : n_d + 6 : n_d) and two blanks.
std::string row_label(double y, int decimals);
// A thumbnail row's label: the value on the first, middle and last rows,
// the vertical bar on the others.
std::string thumbnail_label(const MapGrid& g, int r);

// ---- the section's coordinates ----

// The display value (angle or cross constant) of `constant` as a cross constant.
double to_constant(control::Session& s, int constant, double v);
// A cross constant as the display value.
double to_display(control::Session& s, int constant, double q);
// The basis set of the settings (a cross constant of -0 made 0).
Q6 basis_set(const MapSettings& ms);
// The basis set with the x and y cross constants of the section set from
// the display coordinates x and y.
Q6 trial_at(control::Session& s, double x, double y);
// The best peak of the last map as coordinates of the current section and
// coordinate mode (its trial's cross constants when either differs); false
// before any map.
bool last_best_peak(control::Session& s, double& x, double& y);
// Refinement's starting steps: one map step of each axis in QU.
void refinement_steps(control::Session& s, double& dx, double& dy);

// ---- the run ----

// The comma-delimited map array "<Dset>.<letter>MP": one line per row of
// unscaled values, collected and written a row at a time. A write that fails
// is reported and closes the file; the scan goes on without it.
class MapFile {
public:
    explicit MapFile(control::Session& s) : s_(s) {}
    bool open();
    void value(double v, bool last_in_row);
    void end_row();
    void close() { file_.close(); }
    bool is_open() const { return file_.is_open(); }
    // "WORK.MMP" for the M1 map of WORK.
    static std::string name(const control::Session& s);

private:
    control::Session& s_;
    console::TextFile file_;
    std::string row_;  // reserved once for the longest row
};

// The scan over the grid of the settings; quick views (M1, M3) keep no
// peak list. Returns the elapsed seconds, pauses excluded.
double scan_map(control::Session& s, bool quick_view, MapFile* file);
// After the scan: mean level, tables, refinement, reports, adoption.
void peak_driver(control::Session& s);
// The logs and summary files, and the offer of the summary update.
void record_solutions(control::Session& s);
// ---- reports ----

// The timing report of the scan and the refinement.
void write_timing_report(const control::Session& s, console::Sink& out);
// Seconds since `start` (seconds_of_day), a wrap past midnight allowed for.
double seconds_since(double start);
// The constants display of a trial: three lines and a blank line.
void write_constants(console::Sink& out, const Q6& q);
// The peak tables before and after refinement.
void write_raw_table(control::Session& s, double mean);
void write_refined_table(control::Session& s, double mean);

} // namespace rivi
