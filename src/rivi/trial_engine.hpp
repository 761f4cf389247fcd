// The fast evaluator's workspaces and the small pool of threads that share
// the points of a map row among the cores.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
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

    // trials[0..n-1] into results, on up to `threads` threads (0: every core).
    void run(const TrialContext& c, const Q6* trials, int n, TrialResult* results, int threads);

    // A results buffer for n trials, kept between calls.
    TrialResult* results(int n);

private:
    void work(int index);
    void ensure_threads(int count);

    std::vector<std::unique_ptr<TrialWorkspace>> spaces_;
    std::vector<std::thread> workers_;
    std::vector<TrialResult> results_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    long long generation_ = 0;
    int busy_ = 0;
    bool stopping_ = false;
    // The job of the current generation: part p of `parts` is trials
    // [n*p/parts, n*(p+1)/parts).
    const TrialContext* job_context_ = nullptr;
    const Q6* job_trials_ = nullptr;
    TrialResult* job_results_ = nullptr;
    int job_n_ = 0;
    int job_parts_ = 0;
};

// The session's engine, created on first use.
TrialEngine& engine_of(FomState& f);

} // namespace rivi
