// The ab initio scans' trials per second: a row scan of Q(A), a rectangular
// zone row and a rhombic zone row (rows of trials through the maps' row
// evaluation), and a Q(A) & Z2Th row (single trials, the observed lines
// shifted and rezoned at each), over sucrose's first 30 lines.
#include <benchmark/benchmark.h>

#include <vector>

#include "rivi/abinitio.hpp"
#include "rivi/scan_patterns.hpp"
#include "support/fake_console.hpp"

namespace {

struct Row {
    std::vector<double> xs, ys, values;
};

// The points of one scan row: Q(A) of `axis` against `y`, or `x` against it.
Row along(const rivi::ScanAxis& axis, bool vary_x, double fixed)
{
    Row r;
    for (int i = 1; i <= axis.n; ++i) {
        r.xs.push_back(vary_x ? axis.v[i] : fixed);
        r.ys.push_back(vary_x ? fixed : axis.v[i]);
    }
    r.values.resize(r.xs.size());
    return r;
}

void scan_row(benchmark::State& state, rivi::ScanKind kind, const Row& (*make)(), char mchar)
{
    testing_support::FakeSession f;
    testing_support::pattern_from(f.s.ds, testing_support::sucrose(), 30);
    rivi::ScanSettings ss;
    ss.kind = kind;
    ss.mchar = mchar;
    ss.nobsused = 30;
    rivi::ScanSetup setup(f.s, ss);
    rivi::ScanTrials trials(f.s, ss);
    const Row& row = make();
    Row out = row;
    for (auto _ : state) {
        trials.run(row.xs.data(), row.ys.data(), static_cast<int>(row.xs.size()),
                   out.values.data());
        benchmark::DoNotOptimize(out.values.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(row.xs.size()));
}

// The points of a dynamic Q(A) axis from `start`, as along().
Row dynamic_row(double start, bool vary_x, double fixed)
{
    rivi::ScanAxis axis;
    rivi::dynamic_axis(axis, start, 500.0, rivi::q_steps);
    return along(axis, vary_x, fixed);
}

const Row& q_row()
{
    static const Row r = dynamic_row(39.0, true, 0.0);
    return r;
}

const Row& zone_row()
{
    static const Row r = dynamic_row(89.0, false, 89.0);
    return r;
}

const Row& rhombic_row()
{
    static Row r;
    if (r.xs.empty()) {
        for (int g = 30; g <= 90; ++g) {
            r.xs.push_back(167.9);
            r.ys.push_back(rivi::cross_constant(167.9, g));
        }
        r.values.resize(r.xs.size());
    }
    return r;
}

const Row& z2th_row()
{
    static const Row r = [] {
        rivi::ScanAxis axis;
        rivi::fixed_axis(axis, -0.1, 0.1, 0.005);
        return along(axis, false, 89.2);
    }();
    return r;
}

} // namespace

BENCHMARK_CAPTURE(scan_row, row_Ir, rivi::ScanKind::row, q_row, 'I');
BENCHMARK_CAPTURE(scan_row, row_Pr, rivi::ScanKind::row, q_row, 'P');
BENCHMARK_CAPTURE(scan_row, row_M1, rivi::ScanKind::row, q_row, 'M');
BENCHMARK_CAPTURE(scan_row, rectangular_zone_Ir, rivi::ScanKind::rect, zone_row, 'I');
BENCHMARK_CAPTURE(scan_row, rectangular_zone_Pr, rivi::ScanKind::rect, zone_row, 'P');
BENCHMARK_CAPTURE(scan_row, rectangular_zone_M1, rivi::ScanKind::rect, zone_row, 'M');
BENCHMARK_CAPTURE(scan_row, rhombic_zone_Ir, rivi::ScanKind::gamma, rhombic_row, 'I');
BENCHMARK_CAPTURE(scan_row, z2theta_Ir, rivi::ScanKind::z2th, z2th_row, 'I');
BENCHMARK_MAIN();
