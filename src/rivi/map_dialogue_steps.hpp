// The steps of the map commands' dialogues, shared by the files that hold
// them: the run's context, the resets, and each question in its own routine.
#pragma once

#include <string>

#include "dataset/dataset.hpp"
#include "rivi/map_state.hpp"

namespace control {
struct Session;
}
namespace console {
class Console;
}

namespace rivi {

// What one run of the dialogue knows besides the session.
struct Dialogue {
    control::Session& s;
    std::string kind;            // "M" or "H": the texts write kind + "Map"
    bool cell = false;           // a trial cell is stored
    bool bsl = false;            // the dataset's basis-set list exists
    dataset::CellRow stored_q{}; // the stored cell's powder constants
};

// ---- resets (map_dialogue.cpp) ----

// A trial cell is stored and its diagonal constants can make a basis set.
bool cell_stored(const dataset::Dataset& ds);
// The map state at the start of every run: results cleared, every setting at
// its default, lines 1..Nobs in use.
void reset_map_state(control::Session& s);
// Refuses a pattern of fewer than 2 lines with its message.
bool pattern_checked(control::Session& s, const std::string& kind);
// Trial Qmax and line zones for the first Nobsused lines.
void prepare_trials(control::Session& s);

// ---- introduction and run choices (map_intro.cpp) ----

void write_introduction(Dialogue& d);
// I or T; false when topography is chosen without a stored cell.
bool ask_run_mode(Dialogue& d);
// The basis-set sentence of the status report: one or two lines.
struct TwoLines {
    std::string first, second;
};
TwoLines basis_sentence(bool bsl, bool cell);
// The status report and the offer to go on; false when the user declines.
bool basis_status(Dialogue& d);
void ask_coordinate_mode(Dialogue& d);
void ask_scan_type(Dialogue& d);
// Full scans: the display switch, and in angle mode the minimum angle.
void ask_full_scan_options(Dialogue& d);
// "  Minimum reciprocal cell angle: " until it lies in 10..80.
void ask_minimum_angle(Dialogue& d);

// ---- the basis set (map_basis.cpp) ----

// "hk0", "h0l" or "0kl" for the basal zone C, B or A.
const char* zone_indices(char zone);
// From the stored cell, the basis-set list or typed; false after a refusal.
bool choose_basis(Dialogue& d);
// The basis set as the working cell's derived rows, so that angles become
// cross constants through the working Q2A; false when it makes no cell.
bool basis_to_cell(Dialogue& d);

// ---- figure of merit and lines (map_parameters.cpp) ----

// Pmin of a data-source type: S synchrotron, G good, A average laboratory data.
double pmin_for(char data_source);
void choose_fom(Dialogue& d);
void ask_data_source(Dialogue& d);
void ask_use_defaults(Dialogue& d);
void ask_standard_parameters(Dialogue& d);
void ask_zero_level(Dialogue& d);
void ask_line_count(Dialogue& d);
// The zero-level pass over the lines in use, asking for the number of lines
// again while none is left among fewer than all; false when none is left
// among all of them.
bool zero_level_pass(Dialogue& d);
void ask_scale(Dialogue& d);
void ask_oblique_and_volume(Dialogue& d);

// ---- the map's position and steps (map_position.cpp) ----

void describe_full_scan(Dialogue& d);
void choose_position(Dialogue& d);
void ask_map_file(Dialogue& d);
// "Section C:  alpha* across (...),  beta* down (...)".
std::string axis_line(const control::Session& s);

// ---- single-point mode (map_single_point.cpp) ----

void single_point(Dialogue& d);

// ---- quick views (thumbnails.cpp) ----

// M1 and M3 on the stored cell.
void quick_views(control::Session& s);

} // namespace rivi
