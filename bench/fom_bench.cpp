// Times the fast trial evaluator against the plain rules on the four
// benchmark patterns: one trial, the quick map and the full default
// C-section map, on one core and on all; every trial of the maps is first
// compared between the two, and any difference ends the run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "map_patterns.hpp"
#include "rivi/trial.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::Q6;

// A pattern's session and the trials of its two maps.
struct Map {
    const map_patterns::Pattern* pattern = nullptr;
    std::unique_ptr<testing_support::FakeSession> fs;
    Q6 basis{};
    map_patterns::Grid grid;
    std::vector<Q6> trials;  // row after row
    bool full = false;
};

std::vector<Map> maps;  // per pattern: quick, full

// Every `stride`-th row of the map (1: the whole map).
Map make_map(const map_patterns::Pattern& p, bool full, int stride)
{
    Map m;
    m.pattern = &p;
    m.fs = std::make_unique<testing_support::FakeSession>();
    m.basis = map_patterns::load(m.fs->s, p, 'M');
    m.grid = full ? map_patterns::full_grid(m.basis) : map_patterns::quick_grid(m.basis);
    const int rows = (m.grid.rmax - m.grid.rmin) / stride + 1;
    m.trials.resize(static_cast<std::size_t>(rows) * m.grid.columns);
    for (int i = 0; i < rows; ++i)
        map_patterns::row_trials(m.fs->s, m.basis, m.grid, m.grid.rmin + i * stride,
                                 &m.trials[static_cast<std::size_t>(i) * m.grid.columns]);
    m.full = full;
    return m;
}

// One pass over the map, as the map scan makes it: the fast evaluator
// takes rows_ahead rows at a time and leaves the last trial's pattern at the end.
void scan(Map& m, bool fast, std::vector<double>& values, std::vector<char>& rejects)
{
    const int n = m.grid.columns;
    const std::size_t total = m.trials.size();
    values.resize(total);
    rejects.resize(total);
    for (std::size_t at = 0; at < total;) {
        if (!fast) {
            rivi::evaluate_row_plain(m.fs->s, &m.trials[at], n, &values[at], &rejects[at]);
            at += n;
            continue;
        }
        const int rows = static_cast<int>(std::min<std::size_t>(rivi::rows_ahead, (total - at) / n));
        rivi::evaluate_rows_ahead(m.fs->s, &m.trials[at], rows, n);
        for (int i = 0; i < rows; ++i, at += n)
            rivi::take_row(m.fs->s, i, &values[at], &rejects[at]);
    }
    if (fast)
        rivi::leave_last_pattern(m.fs->s);
}

// Every trial of every map in the given modes through both evaluators, the
// fast one on `threads` threads (0: every core).
void compare_all(const std::string& modes, int threads)
{
    std::vector<double> a, b;
    std::vector<char> ra, rb;
    for (Map& m : maps) {
        for (char mode : modes) {
            m.fs->s.maps.fom.Mchar = mode;
            m.fs->s.maps.fom.threads = threads;
            scan(m, true, a, ra);
            scan(m, false, b, rb);
            for (std::size_t t = 0; t < a.size(); ++t) {
                if (a[t] != b[t] || ra[t] != rb[t]) {
                    std::fprintf(stderr, "%s, %s map, mode %c, trial %zu: fast %.17g '%c', plain %.17g '%c'\n",
                                 m.pattern->name, m.full ? "full" : "quick", mode,
                                 t, a[t], ra[t], b[t], rb[t]);
                    std::exit(1);
                }
            }
        }
        m.fs->s.maps.fom.Mchar = 'M';
    }
    std::printf("All map trials agree between the fast and the plain evaluator.\n");
}

void map_benchmark(benchmark::State& state, Map* m, bool fast, int threads)
{
    std::vector<double> values;
    std::vector<char> rejects;
    m->fs->s.maps.fom.threads = threads;
    for (auto _ : state) {
        scan(*m, fast, values, rejects);
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["trials"] = static_cast<double>(m->trials.size());
    state.counters["trials/s"] = benchmark::Counter(static_cast<double>(m->trials.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

// One trial at the true cell's point of the map: calcm (the plain rules),
// or the fast evaluator given a row of one.
void trial_benchmark(benchmark::State& state, Map* m, bool fast)
{
    control::Session& s = m->fs->s;
    Q6 q = m->basis;
    q[4] = s.ds.QQ[4] < 0.0 ? -s.ds.QQ[4] : s.ds.QQ[4];
    q[5] = s.ds.QQ[4] < 0.0 ? -s.ds.QQ[5] : s.ds.QQ[5];
    s.maps.fom.threads = 1;
    double value = 0.0;
    char reject = ' ';
    for (auto _ : state) {
        if (fast)
            rivi::evaluate_row(s, &q, 1, &value, &reject);
        else
            value = rivi::calcm(s, q);
        benchmark::DoNotOptimize(value);
    }
    state.counters["trials/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

// Seconds per iteration of every run, by name, for the closing table.
struct Recorder : benchmark::ConsoleReporter {
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds[r.benchmark_name()] = r.real_accumulated_time / r.iterations;
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // --reduced: every 25th row of the full maps (for runs under a profiler);
    // --modes=MPI: the modes the maps are compared in first;
    // --threads=N: the fast evaluator's threads in that comparison;
    // --full-only: the full maps alone; --pattern=NAME: that pattern alone.
    bool reduced = false, full_only = false;
    std::string only;
    std::string modes = "MPI";
    int threads = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        reduced = reduced || arg == "--reduced";
        full_only = full_only || arg == "--full-only";
        if (arg.rfind("--pattern=", 0) == 0)
            only = arg.substr(10);
        if (arg.rfind("--modes=", 0) == 0)
            modes = arg.substr(8);
        if (arg.rfind("--threads=", 0) == 0)
            threads = std::atoi(arg.c_str() + 10);
    }
    for (const map_patterns::Pattern& p : map_patterns::patterns) {
        if (!only.empty() && only != p.name)
            continue;
        if (!full_only)
            maps.push_back(make_map(p, false, 1));
        maps.push_back(make_map(p, true, reduced ? 25 : 1));
    }
    compare_all(modes, threads);

    for (Map& m : maps) {
        const bool full = m.full;
        const std::string name = std::string(m.pattern->name) + (full ? "/full" : "/quick");
        if (!full) {
            benchmark::RegisterBenchmark((name + "/trial/fast").c_str(), trial_benchmark, &m, true);
            benchmark::RegisterBenchmark((name + "/trial/plain").c_str(), trial_benchmark, &m, false);
        }
        auto* fast1 = benchmark::RegisterBenchmark((name + "/fast/1").c_str(), map_benchmark, &m, true, 1);
        auto* fastn = benchmark::RegisterBenchmark((name + "/fast/all").c_str(), map_benchmark, &m, true, 0);
        auto* plain = benchmark::RegisterBenchmark((name + "/plain/1").c_str(), map_benchmark, &m, false, 1);
        for (auto* b : {fast1, fastn, plain})
            b->Unit(benchmark::kMillisecond)->UseRealTime();
        if (full)
            plain->Iterations(1);
    }
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    std::printf("\n%-26s %8s %12s %12s %12s %7s %7s %9s\n", "map", "trials", "fast/s 1",
                "fast/s all", "plain/s", "ratio1", "ratioN", "fast1 ms");
    for (const Map& m : maps) {
        const bool full = m.full;
        const std::string name = std::string(m.pattern->name) + (full ? "/full" : "/quick");
        auto rate = [&](const std::string& which) {
            // Names carry the run's options after the part given here.
            auto it = recorder.seconds.lower_bound(name + which);
            if (it == recorder.seconds.end() || it->first.rfind(name + which, 0) != 0 || it->second <= 0.0)
                return 0.0;
            return m.trials.size() / it->second;
        };
        const double f1 = rate("/fast/1"), fn = rate("/fast/all"), pl = rate("/plain/1");
        if (f1 == 0.0)
            continue;
        std::printf("%-26s %8zu %12.0f %12.0f %12.0f %7.1f %7.1f %9.1f\n", name.c_str(), m.trials.size(),
                    f1, fn, pl, pl > 0 ? f1 / pl : 0.0, pl > 0 ? fn / pl : 0.0, 1000.0 * m.trials.size() / f1);
    }
    benchmark::Shutdown();
    return 0;
}
