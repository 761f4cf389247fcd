// The run-wide state of the merit-map search: the figure-of-merit settings
// that every trial evaluation reads, and the switches of the map runs.
#pragma once

#include <memory>

#include "rivi/fom.hpp"

namespace rivi {

class TrialEngine;

// Rows of a map evaluated ahead, waiting to be taken.
struct AheadRows {
    const Q6* trials = nullptr;
    int rows = 0;
    int n = 0;  // trials per row
};

// What a trial evaluation reads and leaves behind.
struct FomState {
    // ---- run-wide switches ----
    bool use_calcfm = false;       // the maps evaluate with calcfm instead of calcm
    bool new_Pr_formula = true;    // the 2004 probability rule
    bool check = true;             // the mNobscount consistency check
    bool first_call_marker = false;
    bool debug = false;

    // ---- probability rules ----
    double Pmin = 0.0001;
    double Pthresh = 0.25;

    // ---- the observed lines in use ----
    int Nobsused = 0;              // lines 1..Nobsused are compared when in use
    int mNobs = 0;                 // how many of them are in use (the check)
    LineZones zones;
    std::array<double, dataset::max_obs + 1> Qcopy{};  // calcfm's private observed Q

    // ---- the trials ----
    char Mchar = 'M';              // the figure of merit: 'M' M1, 'P' Pr, 'I' Ir
    char section = 'C';            // map section: its basal zone's cross constant is fixed
    bool zero_level = false;       // zero-level suppression on
    char zone_letter = 'N';        // the basal zone whose zero level is suppressed
    double Vmax = 6000.0;          // largest trial volume, A^3
    double amin = 30.0;            // smallest reciprocal angle (or supplement), degrees
    double Qmax = 0.0;             // upper limit of the calculated lines
    double Qdiflim = 3.0;          // zero-level pass: explained within this, QU.
    bool line_listing = false;     // single point: each compared line to the log

    // ---- left by the last evaluation ----
    Q6 mQ{};
    char reject = ' ';             // ' ', 'v', 'a' or 'n'
    int mNobscount = 0;
    double last_fom = 0.0;
    long long trials = 0;

    // ---- the fast evaluator ----
    int threads = 0;                       // evaluate_row: 0 every core, 1 one thread
    std::shared_ptr<TrialEngine> engine;   // its workspaces, created on first use
    // The calculated pattern of the last trial that reached generation, not
    // yet made into the dataset (a map scan makes it when it pauses or ends).
    bool pattern_due = false;
    bool pattern_all_angles = false;
    Q6 pattern_trial{};
    AheadRows ahead;
};

// The grid of a map: columns in clusters of k points, rows top to bottom.
// Point i = k*c + (p - 1) lies at x = i*sx + x0; row r at y = r*sy + y0.
struct MapGrid {
    double x0 = 90.0, y0 = 90.0;   // origins, in the coordinate unit
    double sx = -0.5, sy = -0.5;   // steps (may be negative)
    int cmin = 0, cmax = 30;       // column clusters
    int k = 1;                     // points per cluster
    int rmin = -20, rmax = 20;     // rows
    int L = 0;                     // full scan: only points i <= L are evaluated
    int label_decimals = 1;        // decimals of the row labels
};

// Where a map came from, for the header and the basis-set offers.
enum class BasisSource { user, zone, bsl };

// What the map dialogue chose; read by the scan, the peak driver and the
// recording.
struct MapSettings {
    bool angle_mode = true;        // reciprocal angles in degrees, else cross constants in QU.
    char scan = 'Q';               // 'Q' quick, 'F' full, 'S' single point
    bool display = true;           // full scans may run without drawing
    Q6 basis{};                    // Q(A), Q(B), Q(C) and the fixed cross constant in its place
    BasisSource source = BasisSource::user;
    int bsl_set = 0;               // the set's number in the BSL file
    char data_source = 'G';        // Ir and Pr maps: 'S' synchrotron, 'G' good, 'A' average
    bool all_defaults = true;      // the special parameters were not asked
    bool amin_default = true;
    bool vmax_default = true;
    double Mscale = 1.0;           // display scale
    char position = 'O';           // 'O' origin, 'C' centred, 'P' best peak, 'S' stored cell, 'U' typed
    double centre_x = 0.0, centre_y = 0.0;
    bool one_quadrant = false;     // the fixed cross constant is exactly 0
    MapGrid grid;
    bool map_file = false;         // write "<Dset>.<letter>MP"
};

// ---- map-engine: what one map leaves behind ----

// A peak of the merit surface: during the scan x and y are the column
// position and the row index, afterwards coordinates in the display unit.
struct MapPeak {
    double x = 0.0, y = 0.0;
    double raw = 0.0;       // the figure of merit at the map point
    double refined = 0.0;   // after parabolic refinement
};

// The peaks, 1..n, with each peak's rank on the raw value (oldseq).
struct PeakList {
    int n = 0;
    bool full = false;      // 100 held: a new peak must beat the smallest
    std::array<MapPeak, dataset::max_peaks + 1> peaks{};
    std::array<int, dataset::max_peaks + 1> oldseq{};
};

// Running statistics of one map.
struct MapStatistics {
    double sum = 0.0;       // of every value evaluated, zeros included
    long long count = 0;
    double best = 0.0;      // replaced only by a strictly greater value
    double best_x = 0.0, best_y = 0.0;  // its position in the display unit
    Q6 best_q{};            // its trial constants
    long long trials = 0;   // trials of the scan
    double seconds = 0.0;   // scan time, pauses excluded
};

// Counters of one refinement run.
struct RefinementCounters {
    int peaks = 0;
    long long cycles = 0;
    long long trials = 0;
    long long same = 0, reversed = 0, null = 0;  // shift directions
    double seconds = 0.0;
};

struct MapResults {
    MapStatistics stats;
    PeakList list;
    RefinementCounters refinement;
    bool refined = false;   // the peaks were refined in this map
    double dx = 0.0, dy = 0.0;  // refinement's starting steps, QU.
    double started = 0.0;   // seconds_of_day at the run's start
};

// ---- abinitio: the ab initio scans and the testbed ----
struct ScanState {
    double Pr_divisor = 10.0;      // Pr is shown and tested divided by this
    double qa_step = 0.1;          // QU.: first Q(A) step of the Q(A) & Z2Th refinements
    double z2th_step = 0.02;       // deg: first Z2Th step of the same
    // The observed Q under a trial specimen-displacement correction.
    std::array<double, dataset::max_obs + 1> Qdisplaced{};
};

struct MapState {
    bool indexing_mode = false;    // the map dialogue run from IN
    bool save_map_array = false;
    FomState fom;
    MapSettings settings;
    // The best peak of the last map survives the run (map position P): its
    // coordinates, the mode and section they belong to, and its trial.
    bool map_made = false;
    double best_peak_x = 0.0, best_peak_y = 0.0;
    bool best_peak_angle_mode = true;
    char best_peak_section = 'C';
    Q6 best_peak_q{};
    MapResults results;            // map-engine: the last map's statistics and peaks
    ScanState scans;               // abinitio: the scans' run-wide settings
};

} // namespace rivi
