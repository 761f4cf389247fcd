// The pool of threads that shares the trials of a map row, or of rows
// evaluated together, among the cores: each thread has its own workspace,
// and what the session sees is written afterwards in trial order
// (trial_rows.cpp), so a run on several threads shows what a run on one
// shows.
#include "rivi/trial_engine.hpp"

#include <algorithm>
#include <chrono>

namespace rivi {

namespace {

// The line list of the last of trials [from, to) that reached generation,
// made into `pattern`; its index, or -1 when none did.
int make_last_pattern(const TrialContext& c, const Q6* trials, const TrialResult* results,
                      int from, int to, LineList& pattern)
{
    for (int t = to - 1; t >= from; --t) {
        if (results[t].generated) {
            char reject = ' ';
            generate_trial_pruned(*c.f, trials[t], c.all_angles, pattern, reject);
            return t;
        }
    }
    return -1;
}

constexpr int min_points_per_thread = 32;

void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// The value of `a` once it no longer holds `old`: looked at in a spin for
// about a millisecond (the next row of a map comes sooner), then slept on.
template <class T>
T changed(const std::atomic<T>& a, T old)
{
    const auto start = std::chrono::steady_clock::now();
    for (int spin = 1;; ++spin) {
        const T v = a.load(std::memory_order_acquire);
        if (v != old)
            return v;
        if (spin % 256 == 0 &&
            std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1))
            break;
        relax();
    }
    for (;;) {
        a.wait(old, std::memory_order_acquire);
        const T v = a.load(std::memory_order_acquire);
        if (v != old)
            return v;
    }
}

} // namespace

TrialEngine::TrialEngine() { spaces_.push_back(std::make_unique<TrialWorkspace>()); }

TrialEngine::~TrialEngine()
{
    stopping_.store(true, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    for (std::thread& w : workers_)
        w.join();
}

TrialResult* TrialEngine::results(int n)
{
    if (static_cast<int>(results_.size()) < n)
        results_.resize(n);
    return results_.data();
}

void TrialEngine::ensure_threads(int count)
{
    while (static_cast<int>(spaces_.size()) < count) {
        spaces_.push_back(std::make_unique<TrialWorkspace>());
        const int index = static_cast<int>(spaces_.size()) - 1;
        // A thread added after earlier jobs waits for the next one: it must
        // not take the last job (already done and counted) for its own.
        const unsigned seen = generation_.load(std::memory_order_relaxed);
        workers_.emplace_back([this, index, seen] { work(index, seen); });
    }
}

// Part `index` of the job; the last part also makes the line list of its
// last trial that reached generation, when asked to.
void TrialEngine::part(int index)
{
    if (job_rows_ > 0) {
        for (int r; (r = next_row_.fetch_add(1, std::memory_order_relaxed)) < job_rows_;) {
            const int from = r * job_row_length_;
            spaces_[index]->evaluate(*job_context_, job_trials_ + from, job_row_length_,
                                     job_results_ + from);
        }
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const int from = job_from_[index], to = job_from_[index + 1];
    spaces_[index]->evaluate(*job_context_, job_trials_ + from, to - from, job_results_ + from);
    if (index == job_parts_ - 1 && job_pattern_ != nullptr)
        job_last_ = make_last_pattern(*job_context_, job_trials_, job_results_, from, to,
                                      *job_pattern_);
    job_seconds_[index] =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The parts of n trials; given in rows, they are taken a row at a time
// instead. The cost of a row is not spread evenly along it (oblique cells
// have more lines), so after a run of as many trials each boundary moves
// halfway towards where equal shares of the time the last run's parts
// took would put it (that time taken as spread evenly within each part);
// otherwise equal numbers of trials. Each boundary then moves to the
// nearest start of a run of trials that share their lines when one lies
// within a twentieth of the row (in a map row the index shape changes as a
// cross constant passes 0), so that the lines are not found twice.
void TrialEngine::split(const Q6* trials, int n, int parts, int rows)
{
    int* from = job_from_;
    from[0] = 0;
    from[parts] = n;
    job_rows_ = 0;
    if (rows > 1 && n % rows == 0 && job_pattern_ == nullptr) {
        job_rows_ = rows;
        job_row_length_ = n / rows;
        next_row_.store(0, std::memory_order_relaxed);
        return;
    }
    double total = 0.0;
    bool timed = last_n_ == n && last_parts_ == parts;
    for (int p = 0; timed && p < parts; ++p) {
        timed = last_seconds_[p] > 0.0;
        total += last_seconds_[p];
    }
    const int slack = n / 20;
    for (int p = 1; p < parts; ++p) {
        double nominal = static_cast<double>(n) * p / parts;
        if (timed) {
            double share = total * p / parts;
            int q = 0;
            while (q < parts - 1 && share > last_seconds_[q]) {
                share -= last_seconds_[q];
                ++q;
            }
            const double balanced =
                last_from_[q] + share / last_seconds_[q] * (last_from_[q + 1] - last_from_[q]);
            nominal = 0.5 * (last_from_[p] + balanced);  // damped: the times vary
        }
        const int at = std::clamp(static_cast<int>(nominal + 0.5), from[p - 1] + 1, n - (parts - p));
        from[p] = at;
        for (int d = 0; d <= slack; ++d) {
            if (at - d > from[p - 1] && starts_run(trials[at - d - 1], trials[at - d])) {
                from[p] = at - d;
                break;
            }
            if (at + d < n - (parts - p) && starts_run(trials[at + d - 1], trials[at + d])) {
                from[p] = at + d;
                break;
            }
        }
    }
}

void TrialEngine::work(int index, unsigned seen)
{
    for (;;) {
        seen = changed(generation_, seen);
        if (stopping_.load(std::memory_order_relaxed))
            return;
        if (index < job_parts_)
            part(index);
        if (busy_.fetch_sub(1, std::memory_order_acq_rel) == 1)
            busy_.notify_one();
    }
}

int TrialEngine::run(const TrialContext& c, const Q6* trials, int n, TrialResult* results,
                     int threads, LineList* pattern, int rows)
{
    int parts = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    parts = std::clamp(parts, 1, max_threads);
    parts = std::min(parts, std::max(1, n / min_points_per_thread));
    if (rows > 1)
        parts = std::min(parts, rows);
    job_context_ = &c;
    job_trials_ = trials;
    job_results_ = results;
    job_pattern_ = pattern;
    job_parts_ = parts;
    split(trials, n, parts, rows);
    job_last_ = -1;
    if (parts > 1) {
        ensure_threads(parts);
        busy_.store(static_cast<int>(workers_.size()), std::memory_order_relaxed);
        generation_.fetch_add(1, std::memory_order_release);
        generation_.notify_all();
    }
    part(0);
    for (int left; parts > 1 && (left = busy_.load(std::memory_order_acquire)) != 0;)
        changed(busy_, left);
    if (job_rows_ > 0)
        return -1;  // nothing timed; no pattern asked for
    last_n_ = n;
    last_parts_ = parts;
    for (int p = 0; p <= parts; ++p)
        last_from_[p] = job_from_[p];
    for (int p = 0; p < parts; ++p)
        last_seconds_[p] = job_seconds_[p];
    if (pattern == nullptr || job_last_ >= 0)
        return job_last_;
    // The last part had no trial that reached generation: an earlier one's.
    return make_last_pattern(c, trials, results, 0, job_from_[parts - 1], *pattern);
}

TrialEngine& engine_of(FomState& f)
{
    if (!f.engine)
        f.engine = std::make_shared<TrialEngine>();
    return *f.engine;
}

} // namespace rivi
