// The trial evaluators: a trial cell given as six powder constants is
// validated, its lines generated into the dataset's calculated pattern, and
// compared with the observed lines in use.
#pragma once

#include "rivi/fom.hpp"

namespace control {
struct Session;
}

namespace rivi {

// The map evaluator: the run-wide map state gives the section, the
// zero-level suppression, the limits and the figure-of-merit mode. Tests
// only the two reciprocal angles that the map section varies. Single trials
// (refinement, the single point) are evaluated by the plain rules: the fast
// evaluator gains only from the trials of a row sharing their lines.
double calcm(control::Session& s, const Q6& q);

// One map row: trials[0..n-1] evaluated as n calls of calcm (of calcfm
// with Z2Th 0 and no rezoning when fom.use_calcfm is on) would evaluate
// them, in order: the values, the reject codes, the messages, the trial
// counter and the calculated pattern left in the dataset are the same. The
// points may be shared among threads (fom.threads).
void evaluate_row(control::Session& s, const Q6* trials, int n, double* values, char* rejects);

// Rows of a map evaluated together, so that each thread takes whole rows,
// the next one left each time: trials[0..rows*n-1], row after row, kept by
// the caller until taken. take_row then gives each row, in order, as
// evaluate_row would (values, codes, messages, counters), except that the
// calculated pattern is left due (fom.pattern_due) until
// leave_last_pattern: a scan makes it once rather than once a row.
// A scan gives rows_ahead rows at a time: enough that a thread seldom waits
// for another's last row.
constexpr int rows_ahead = 32;
void evaluate_rows_ahead(control::Session& s, const Q6* trials, int rows, int n);
void take_row(control::Session& s, int row, double* values, char* rejects);

// The calculated pattern left due by take_row, made into the dataset.
void leave_last_pattern(control::Session& s);
// The same through the plain evaluators, one call per trial: the judge of
// the fast one.
void evaluate_row_plain(control::Session& s, const Q6* trials, int n, double* values,
                        char* rejects);

// The evaluator of the scans: the observed lines qobs[1..] (shifted by z2th
// through their 2Theta tobs[1..] when z2th is not 0, in a private copy) and
// the figure of merit `mchar` are given; the zones are recomputed when either
// rezone flag is set. `tcor` is carried for the callers and not used. Tests
// all three reciprocal angles.
double calcfm(control::Session& s, const Q6& q, double z2th, double tcor, bool rezone1,
              bool rezone2, const double* qobs, const double* tobs, char mchar);

// The zero-level pass: with the constant of the axis outside the basal zone
// `zone` ('A', 'B' or 'C') replaced by 1000000 QU., only the zone's own lines
// fall below Qmax; each of lines 1..Nobsused is kept in use (the dataset's
// included flags) only when none of them explains it within Qdiflim.
// Returns the number of lines left in use.
int mark_zero_level(control::Session& s, const Q6& basis, char zone);

} // namespace rivi
