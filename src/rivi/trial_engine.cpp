// The fast evaluator behind evaluate_row, and the pool of threads
// that shares a row's points: each thread has its own workspace, and all the
// session sees is written afterwards in trial order, so a run on several
// threads shows exactly what a run on one shows.
#include "rivi/trial_engine.hpp"

#include <algorithm>

#include "control/session.hpp"
#include "rivi/trial.hpp"

namespace rivi {

namespace {

constexpr int max_threads = 8;
constexpr int min_points_per_thread = 32;

bool valid_letter(char mchar) { return mchar == 'M' || mchar == 'P' || mchar == 'I'; }

} // namespace

TrialEngine::TrialEngine() { spaces_.push_back(std::make_unique<TrialWorkspace>()); }

TrialEngine::~TrialEngine()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    start_.notify_all();
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
        workers_.emplace_back([this, index] { work(index); });
    }
}

void TrialEngine::work(int index)
{
    long long seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_)
                return;
            seen = generation_;
        }
        if (index < job_parts_) {
            const int from = static_cast<int>(static_cast<long long>(job_n_) * index / job_parts_);
            const int to = static_cast<int>(static_cast<long long>(job_n_) * (index + 1) / job_parts_);
            spaces_[index]->evaluate(*job_context_, job_trials_ + from, to - from,
                                     job_results_ + from);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --busy_;
        }
        done_.notify_one();
    }
}

void TrialEngine::run(const TrialContext& c, const Q6* trials, int n, TrialResult* results,
                      int threads)
{
    int parts = threads > 0 ? threads : static_cast<int>(std::thread::hardware_concurrency());
    parts = std::clamp(parts, 1, max_threads);
    parts = std::min(parts, std::max(1, n / min_points_per_thread));
    if (parts == 1) {
        spaces_[0]->evaluate(c, trials, n, results);
        return;
    }
    ensure_threads(parts);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_context_ = &c;
        job_trials_ = trials;
        job_results_ = results;
        job_n_ = n;
        job_parts_ = parts;
        busy_ = static_cast<int>(workers_.size());
        ++generation_;
    }
    start_.notify_all();
    const int to = static_cast<int>(static_cast<long long>(n) / parts);
    spaces_[0]->evaluate(c, trials, to, results);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return busy_ == 0; });
}

TrialEngine& engine_of(FomState& f)
{
    if (!f.engine)
        f.engine = std::make_shared<TrialEngine>();
    return *f.engine;
}

void evaluate_row(control::Session& s, const Q6* trials, int n, double* values, char* rejects)
{
    FomState& f = s.maps.fom;
    if (n <= 0)
        return;
    if (!valid_letter(f.Mchar) || f.line_listing) {
        evaluate_row_plain(s, trials, n, values, rejects);
        return;
    }
    dataset::Dataset& ds = s.ds;
    const double* qobs = ds.OQ.data();
    if (f.use_calcfm) {
        // What calcfm does before each trial (Z2Th 0, no rezoning).
        for (int i = 1; i <= f.Nobsused; ++i)
            f.Qcopy[i] = ds.OQ[i];
        if (f.first_call_marker) {
            s.con.put("*");
            f.first_call_marker = false;
        }
        qobs = f.Qcopy.data();
    }
    TrialEngine& engine = engine_of(f);
    TrialResult* r = engine.results(n);
    const TrialContext c{&f, qobs, ds.included.data(), f.Mchar, f.use_calcfm};
    engine.run(c, trials, n, r, f.threads);

    int last_generated = -1;
    for (int t = 0; t < n; ++t) {
        if (low_diagonal(trials[t]))
            report_low_diagonal(s, trials[t]);
        if (r[t].mNobscount >= 0) {
            f.mNobscount = r[t].mNobscount;
            consistency_check(s, r[t].mNobscount, trials[t]);
        }
        if (r[t].generated)
            last_generated = t;
        values[t] = r[t].value;
        rejects[t] = r[t].reject;
    }
    // The calculated pattern of the last trial that reached generation, as
    // the sequential calls would leave it.
    if (last_generated >= 0) {
        LineList list = dataset_lines(ds);
        char reject = ' ';
        generate_trial_pruned(f, trials[last_generated], f.use_calcfm, list, reject);
        ds.Ncalc = list.n;
    }
    f.trials += n;
    f.mQ = trials[n - 1];
    f.reject = r[n - 1].reject;
    f.last_fom = r[n - 1].value;
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
