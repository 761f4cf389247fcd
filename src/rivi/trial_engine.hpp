// The fast evaluator's workspaces and the small pool of threads that share
// the points of a map row among the cores.
#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "rivi/trial_fast.hpp"

namespace rivi {

class TrialEngine {
public:
    TrialEngine();
    ~TrialEngine();
    TrialEngine(const TrialEngine&) = delete;
    TrialEngine& operator=(const TrialEngine&) = delete;

    // trials[0..n-1] into results, on up to `threads` threads (0: every
    // core). With `pattern` given, the line list of the last trial that
    // reached generation is made into it; the index of that trial is
    // returned (-1 when none did).
    int run(const TrialContext& c, const Q6* trials, int n, TrialResult* results, int threads,
            LineList* pattern = nullptr);

    // A results buffer for n trials, kept between calls.
    TrialResult* results(int n);

private:
    void work(int index);
    void ensure_threads(int count);
    void part(int index);

    std::vector<std::unique_ptr<TrialWorkspace>> spaces_;
    std::vector<std::thread> workers_;
    std::vector<TrialResult> results_;
    // A new job is announced by a new generation; the workers that ran it
    // count `busy_` down. Both are waited on by spinning a little first:
    // the rows of a map follow each other closely.
    std::atomic<unsigned> generation_{0};
    std::atomic<int> busy_{0};
    std::atomic<bool> stopping_{false};
    // The job of the current generation: part p of `parts` is trials
    // [n*p/parts, n*(p+1)/parts).
    const TrialContext* job_context_ = nullptr;
    const Q6* job_trials_ = nullptr;
    TrialResult* job_results_ = nullptr;
    LineList* job_pattern_ = nullptr;
    int job_n_ = 0;
    int job_parts_ = 0;
    int job_last_ = -1;  // the trial whose lines the last part made
};

// The session's engine, created on first use.
TrialEngine& engine_of(FomState& f);

} // namespace rivi
