// The fast trial evaluator: the figures of merit and reject codes of the
// plain rules, bit for bit, for runs of trials that share their diagonal
// constants (a map row), without touching the session.
#pragma once

#include <memory>

#include "rivi/trial_rules.hpp"

namespace rivi {

// What every evaluation of a run reads; nothing in it is written.
struct TrialContext {
    const FomState* f = nullptr;
    const double* qobs = nullptr;   // observed Q, 1..Nobsused
    const bool* use = nullptr;      // the lines in use
    char mchar = 'M';
    bool all_angles = false;        // calcfm tests all three reciprocal angles
};

// The outcome of one trial.
struct TrialResult {
    double value = 0.0;
    char reject = ' ';
    int mNobscount = -1;     // lines compared; -1 when no comparison was made
    bool generated = false;  // lines were generated (the plain rules fill the pattern)
};

// One thread's working storage, allocated once.
class TrialWorkspace {
public:
    TrialWorkspace();
    ~TrialWorkspace();
    TrialWorkspace(const TrialWorkspace&) = delete;
    TrialWorkspace& operator=(const TrialWorkspace&) = delete;

    // trials[0..n-1] into results[0..n-1].
    void evaluate(const TrialContext& c, const Q6* trials, int n, TrialResult* results);

private:
    struct Storage;
    std::unique_ptr<Storage> m;
};

// Trial q cannot share the lines of the trial before it (other diagonal
// constants or another index shape): a run of trials split there costs no
// more than one left whole.
bool starts_run(const Q6& before, const Q6& q);

// The line list of trial q as the plain rules leave it (generate_trial),
// the same list made without visiting the index triples of each column that
// lie beyond Qmax.
bool generate_trial_pruned(const FomState& f, const Q6& q, bool all_angles, LineList& out,
                           char& reject);

} // namespace rivi
