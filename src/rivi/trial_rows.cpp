// The map rows' evaluation as the session sees it: the trials through the
// fast evaluator's engine, then the messages, counters, values and the
// calculated pattern exactly as one calcm (or calcfm) call per trial, in
// order, would leave them.
#include <cstddef>

#include "control/session.hpp"
#include "rivi/trial.hpp"
#include "rivi/trial_engine.hpp"

namespace rivi {

namespace {

bool valid_letter(char mchar) { return mchar == 'M' || mchar == 'P' || mchar == 'I'; }

} // namespace

void leave_last_pattern(control::Session& s)
{
    FomState& f = s.maps.fom;
    if (!f.pattern_due)
        return;
    f.pattern_due = false;
    LineList list = dataset_lines(s.ds);
    char reject = ' ';
    generate_trial_pruned(f, f.pattern_trial, f.pattern_all_angles, list, reject);
    s.ds.Ncalc = list.n;
}

namespace {

// The observed lines the comparisons read: calcfm's copy (Z2Th 0, no
// rezoning) when it is the evaluator.
const double* observed_lines(control::Session& s)
{
    FomState& f = s.maps.fom;
    if (!f.use_calcfm)
        return s.ds.OQ.data();
    for (int i = 1; i <= f.Nobsused; ++i)
        f.Qcopy[i] = s.ds.OQ[i];
    return f.Qcopy.data();
}

// What the sequential calls show and leave for trials[0..n-1] with their
// results r: the calcfm mark, the messages, the counters and the values;
// with `due`, the calculated pattern of the last that reached generation
// left due.
void publish(control::Session& s, const Q6* trials, const TrialResult* r, int n, double* values,
             char* rejects, bool due)
{
    FomState& f = s.maps.fom;
    if (f.use_calcfm && f.first_call_marker) {
        s.con.put("*");
        f.first_call_marker = false;
    }
    for (int t = 0; t < n; ++t) {
        if (low_diagonal(trials[t]))
            report_low_diagonal(s, trials[t]);
        if (r[t].mNobscount >= 0) {
            f.mNobscount = r[t].mNobscount;
            if (f.check && r[t].mNobscount != f.mNobs)
                consistency_check(s, r[t].mNobscount, trials[t]);
        }
        values[t] = r[t].value;
        rejects[t] = r[t].reject;
    }
    for (int t = n - 1; due && t >= 0; --t) {
        if (r[t].generated) {
            f.pattern_due = true;
            f.pattern_trial = trials[t];
            f.pattern_all_angles = f.use_calcfm;
            break;
        }
    }
    f.trials += n;
    f.mQ = trials[n - 1];
    f.reject = r[n - 1].reject;
    f.last_fom = r[n - 1].value;
}

bool fast_rules(const FomState& f) { return valid_letter(f.Mchar) && !f.line_listing; }

TrialContext context_of(control::Session& s)
{
    const FomState& f = s.maps.fom;
    return TrialContext{&f, observed_lines(s), s.ds.included.data(), f.Mchar, f.use_calcfm};
}

} // namespace

void evaluate_row(control::Session& s, const Q6* trials, int n, double* values, char* rejects)
{
    FomState& f = s.maps.fom;
    if (n <= 0)
        return;
    // A trial or two gain nothing from the engine, which would then make
    // the last one's lines a second time to leave them.
    if (!fast_rules(f) || n <= 2) {
        leave_last_pattern(s);
        evaluate_row_plain(s, trials, n, values, rejects);
        return;
    }
    TrialEngine& engine = engine_of(f);
    TrialResult* r = engine.results(n);
    // The calculated pattern of the last trial that reached generation, as
    // the sequential calls would leave it.
    LineList list = dataset_lines(s.ds);
    if (engine.run(context_of(s), trials, n, r, f.threads, &list) >= 0) {
        s.ds.Ncalc = list.n;
        f.pattern_due = false;
    } else {
        leave_last_pattern(s);  // none in this row: the one left due stands
    }
    publish(s, trials, r, n, values, rejects, false);
}

void evaluate_rows_ahead(control::Session& s, const Q6* trials, int rows, int n)
{
    FomState& f = s.maps.fom;
    f.ahead = AheadRows{trials, rows, n};
    if (rows <= 0 || n <= 0 || !fast_rules(f))
        return;  // taken one at a time by the plain rules
    TrialEngine& engine = engine_of(f);
    engine.run(context_of(s), trials, rows * n, engine.results(rows * n), f.threads, nullptr, rows);
}

void take_row(control::Session& s, int row, double* values, char* rejects)
{
    FomState& f = s.maps.fom;
    const AheadRows& a = f.ahead;
    if (a.n <= 0 || row < 0 || row >= a.rows)
        return;
    const Q6* trials = a.trials + static_cast<std::ptrdiff_t>(row) * a.n;
    if (!fast_rules(f)) {
        leave_last_pattern(s);
        evaluate_row_plain(s, trials, a.n, values, rejects);
        return;
    }
    const TrialResult* r = engine_of(f).results(a.rows * a.n) + static_cast<std::ptrdiff_t>(row) * a.n;
    publish(s, trials, r, a.n, values, rejects, true);
}

void evaluate_row_plain(control::Session& s, const Q6* trials, int n, double* values,
                        char* rejects)
{
    FomState& f = s.maps.fom;
    dataset::Dataset& ds = s.ds;
    for (int t = 0; t < n; ++t) {
        values[t] = f.use_calcfm ? calcfm(s, trials[t], 0.0, 1.0, false, false, ds.OQ.data(),
                                          ds.OT.data(), f.Mchar)
                                 : calcm(s, trials[t]);
        rejects[t] = f.reject;
    }
}

} // namespace rivi
