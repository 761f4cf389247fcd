// The run-wide state of the merit-map search: the figure-of-merit settings
// that every trial evaluation reads, and the switches of the map runs.
#pragma once

#include "rivi/fom.hpp"

namespace rivi {

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
};

struct MapState {
    bool indexing_mode = false;    // the map dialogue run from IN
    bool save_map_array = false;
    FomState fom;
};

} // namespace rivi
