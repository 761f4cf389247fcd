// The fast evaluator's workspaces and the small pool of threads that share
// among the cores the rows of a map, or the points of a single row.
#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "rivi/trial_fast.hpp"

namespace rivi {

class TrialEngine {
public:
    static constexpr int max_threads = 8;

    TrialEngine();
    ~TrialEngine();
    TrialEngine(const TrialEngine&) = delete;
    TrialEngine& operator=(const TrialEngine&) = delete;

    // trials[0..n-1] into results, on up to `threads` threads (0: every
    // core). With `pattern` given, the line list of the last trial that
    // reached generation is made into it; the index of that trial is
    // returned (-1 when none did).
    // With `rows` whole rows of equal length given together (and no
    // pattern asked for), each thread takes the next row left until none
    // is: a thread held up by the system does not hold up the others.
    int run(const TrialContext& c, const Q6* trials, int n, TrialResult* results, int threads,
            LineList* pattern = nullptr, int rows = 1);

    // A results buffer for n trials, kept between calls.
    TrialResult* results(int n);

private:
    void work(int index, unsigned seen);
    void ensure_threads(int count);
    void part(int index);
    void split(const Q6* trials, int n, int parts, int rows);

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
    // [job_from_[p], job_from_[p + 1]).
    const TrialContext* job_context_ = nullptr;
    const Q6* job_trials_ = nullptr;
    TrialResult* job_results_ = nullptr;
    LineList* job_pattern_ = nullptr;
    int job_parts_ = 0;
    int job_from_[max_threads + 1] = {};
    int job_rows_ = 0;                   // rows taken one by one; 0: parts
    int job_row_length_ = 0;
    std::atomic<int> next_row_{0};
    // How the last run in parts was shared and how long each part took:
    // the next such run of as many trials (the scans give rows alike) is
    // shared by those times.
    double job_seconds_[max_threads] = {};
    int last_n_ = 0, last_parts_ = 0;
    int last_from_[max_threads + 1] = {};
    double last_seconds_[max_threads] = {};
    int job_last_ = -1;  // the trial whose lines the last part made
};

// The session's engine, created on first use.
TrialEngine& engine_of(FomState& f);

} // namespace rivi
