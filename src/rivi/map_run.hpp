// The map engine's entry points: the grids the map dialogue chooses from, the
// names of a section's axes, the header block, the scan of a quick view, and
// the whole map run with its peaks, refinement and recording.
#pragma once

#include <string>

#include "rivi/map_state.hpp"

namespace control {
struct Session;
}
namespace console {
class Sink;
}

namespace rivi {

// ---- grids (pure) ----

// The default quick-scan step in QU. for the integer n (Q-scan mode).
double step_for(int n);

// Px and Py: the products of the two diagonal constants that bound the x and
// the y cross constant of `section` ('A', 'B' or 'C').
void section_products(char section, const Q6& basis, double& px, double& py);

// Quick scan from the origin (position O): clusters 0..30, rows -20..20, or
// 0..20 for one quadrant; base step 1.0.
MapGrid quick_grid_from_origin(bool angle_mode, bool one_quadrant, double px, double py);
// Quick scan centred on (x0, y0) (positions C, P, S or a typed centre):
// clusters -15..15, rows -10..10; base step 0.2.
MapGrid quick_grid_centred(bool angle_mode, double x0, double y0, double px, double py);
// M1's thumbnails: 13 x 9 points at 0.2 deg, centred on (x0, y0) (angles).
MapGrid thumbnail_grid(double x0, double y0);
// M3's principal sections: 31 x 21 points at 0.1 deg, centred on (x0, y0).
MapGrid section_grid(double x0, double y0);
// Full scan from the origin to the limit set by the minimum reciprocal angle
// amin: the point limit L, k points per cluster so that at most 30 clusters
// hold the L + 1 points, and rows -m..m (0..m for one quadrant).
MapGrid full_scan_grid(bool angle_mode, double amin, double px, double py, bool one_quadrant);
// Decimals of the row labels for the y step: 1, 2 or 3 (the scan sets them
// again from the grid's y step, so changed steps need no care).
int label_decimals(double sy);

// ---- names ----

// The cross constants (4 Q(D), 5 Q(E), 6 Q(F)) across, down and fixed in a section.
int x_constant(char section);
int y_constant(char section);
int fixed_constant(char section);
// "alpha*", or "Q(D) [alpha*]" in Q-scan mode.
std::string constant_name(int constant, bool angle_mode);
std::string x_name(char section, bool angle_mode);
std::string y_name(char section, bool angle_mode);
// "C-section: alpha* (--) / beta* (|)" with the broken bar of the thumbnails.
std::string section_name_line(char section, bool angle_mode);
// "M1", "Pr" or "Ir" for the figure-of-merit letter.
std::string fom_name(char mchar);
// "deg" or "QU.".
std::string unit_name(bool angle_mode);

// ---- the run ----
//
// Both entries read what the dialogue has set: s.maps.settings (grid, basis,
// coordinate mode, scan type, display, Mscale, position, map file ...),
// s.maps.fom (figure of merit, section, lines in use and their zones, Qmax of
// the trials, limits) and s.run (map kind, topography, thumbnails). In angle
// mode the dataset's Q2A must be that of the basis set (the dialogue converts
// the basis set to a cell before the scan), since the angles become cross
// constants through AtoQstar.

// Clears what one map leaves: statistics, peak list, refinement counters.
void reset_map_results(MapState& m);

// The header block, to the screen, the copy channels and the log.
void map_header(control::Session& s);

// MM and HM: clears the map's results, writes the header, scans the map with
// the clock running, pauses, writes the "Used ..." line, then lists, refines
// and records the peaks (with the adoption offer and the summary-file
// request). Opens and closes the ".<letter>MP" map file when it is asked for.
void run_map(control::Session& s);

// M1 and M3: scans the one section of the settings into the current window
// (row labels as for thumbnails when s.run.thumbnails is on); no statistics
// report, no peak list.
void run_section(control::Session& s);

} // namespace rivi
