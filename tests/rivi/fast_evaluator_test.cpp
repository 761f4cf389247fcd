// The fast evaluator against the plain one, its judge: every value, reject
// code, message, counter and the calculated pattern left behind must be the
// same, bit for bit, on the benchmark maps and on random trials.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "map_patterns.hpp"
#include "rivi/trial.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::Q6;

std::string describe(const Q6& q)
{
    std::string text;
    for (int i = 1; i <= 6; ++i)
        text += " " + std::to_string(q[i]);
    return text;
}

// Two sessions set up alike: one runs the fast evaluator, one the plain.
struct Twins {
    testing_support::FakeSession fast, plain;
    Q6 basis{};

    void load(const map_patterns::Pattern& p, char mchar, bool new_rule, char zero_zone)
    {
        for (control::Session* s : {&fast.s, &plain.s}) {
            basis = map_patterns::load(*s, p, mchar);
            rivi::FomState& f = s->maps.fom;
            f.new_Pr_formula = new_rule;
            f.threads = 1;
            if (zero_zone != 'N') {
                f.zone_letter = zero_zone;
                f.mNobs = rivi::mark_zero_level(*s, basis, zero_zone);
                f.zero_level = true;
            }
        }
    }

    // Everything a caller can see after the last evaluation.
    void expect_same_state(const std::string& where)
    {
        const rivi::FomState& a = fast.s.maps.fom;
        const rivi::FomState& b = plain.s.maps.fom;
        EXPECT_EQ(a.trials, b.trials) << where;
        EXPECT_EQ(a.reject, b.reject) << where;
        EXPECT_EQ(a.mQ, b.mQ) << where;
        EXPECT_EQ(a.mNobscount, b.mNobscount) << where;
        EXPECT_EQ(a.last_fom, b.last_fom) << where;
        EXPECT_EQ(fast.screen(), plain.screen()) << where;
        const dataset::Dataset& x = fast.s.ds;
        const dataset::Dataset& y = plain.s.ds;
        ASSERT_EQ(x.Ncalc, y.Ncalc) << where;
        for (int i = 0; i <= x.Ncalc; ++i) {
            if (x.CQ[i] != y.CQ[i] || x.CH[i] != y.CH[i] || x.CK[i] != y.CK[i] ||
                x.CL[i] != y.CL[i]) {
                ADD_FAILURE() << where << ": calculated line " << i << " differs";
                return;
            }
        }
    }

    // One row through both; false after the first difference.
    bool same_row(const std::vector<Q6>& trials, const std::string& where)
    {
        const int n = static_cast<int>(trials.size());
        std::vector<double> va(n), vb(n);
        std::vector<char> ra(n), rb(n);
        rivi::evaluate_row(fast.s, trials.data(), n, va.data(), ra.data());
        rivi::evaluate_row_plain(plain.s, trials.data(), n, vb.data(), rb.data());
        for (int t = 0; t < n; ++t) {
            if (va[t] != vb[t] || ra[t] != rb[t]) {
                ADD_FAILURE() << where << ", point " << t << ":" << describe(trials[t])
                              << "\n  fast " << va[t] << " '" << ra[t] << "', plain " << vb[t]
                              << " '" << rb[t] << "'";
                return false;
            }
        }
        expect_same_state(where);
        return !testing::Test::HasFailure();
    }
};

struct Rule {
    char mchar;
    bool new_rule;
};
const Rule rules[] = {{'M', true}, {'P', true}, {'P', false}, {'I', true}, {'I', false}};

// Rows spread over the map: both ends, the middle and some between.
std::vector<int> sample_rows(const map_patterns::Grid& g, int count)
{
    std::vector<int> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(g.rmin + (g.rmax - g.rmin) * i / (count - 1));
    return rows;
}

TEST(FastEvaluator, BenchmarkMapsAgreeWithThePlainRulesInEveryModeAndRule)
{
    for (const map_patterns::Pattern& p : map_patterns::patterns) {
        for (const Rule& rule : rules) {
            for (char zone : {'N', 'C'}) {
                Twins t;
                t.load(p, rule.mchar, rule.new_rule, zone);
                const std::string what = std::string(p.name) + " " + rule.mchar +
                                         (rule.new_rule ? " new" : " old") + " zone " + zone;
                const map_patterns::Grid full = map_patterns::full_grid(t.basis);
                std::vector<Q6> trials(full.columns);
                for (int r : sample_rows(full, 7)) {
                    map_patterns::row_trials(t.fast.s, t.basis, full, r, trials.data());
                    if (!t.same_row(trials, what + ", full map row " + std::to_string(r)))
                        return;
                }
                const map_patterns::Grid quick = map_patterns::quick_grid(t.basis);
                trials.resize(quick.columns);
                for (int r = quick.rmin; r <= quick.rmax; ++r) {
                    map_patterns::row_trials(t.fast.s, t.basis, quick, r, trials.data());
                    if (!t.same_row(trials, what + ", quick map row " + std::to_string(r)))
                        return;
                }
            }
        }
    }
}

TEST(FastEvaluator, RowsSharedAmongThreadsShowWhatOneThreadShows)
{
    Twins t;
    t.load(map_patterns::patterns[2], 'P', true, 'N');
    t.fast.s.maps.fom.threads = 2;
    const map_patterns::Grid full = map_patterns::full_grid(t.basis);
    std::vector<Q6> trials(full.columns);
    for (int r : sample_rows(full, 5)) {
        map_patterns::row_trials(t.fast.s, t.basis, full, r, trials.data());
        ASSERT_TRUE(t.same_row(trials, "two threads, row " + std::to_string(r)));
    }
}

TEST(FastEvaluator, APatternLeftDueIsTheOneTheSequentialCallsLeave)
{
    // Rows of a map with the pattern left due, a row whose every trial is
    // rejected, then a rejected single trial: the dataset ends with the
    // pattern of the last trial that reached generation.
    Twins t;
    t.load(map_patterns::patterns[1], 'M', true, 'N');
    t.fast.s.maps.fom.threads = 2;
    const map_patterns::Grid full = map_patterns::full_grid(t.basis);
    std::vector<Q6> trials(full.columns);
    std::vector<double> va(full.columns), vb(full.columns);
    std::vector<char> ra(full.columns), rb(full.columns);
    auto both = [&](const std::vector<Q6>& row) {
        const int n = static_cast<int>(row.size());
        rivi::evaluate_rows_ahead(t.fast.s, row.data(), 1, n);
        rivi::take_row(t.fast.s, 0, va.data(), ra.data());
        rivi::evaluate_row_plain(t.plain.s, row.data(), n, vb.data(), rb.data());
    };
    for (int r : sample_rows(full, 5)) {  // the first and last rows: all rejected
        map_patterns::row_trials(t.fast.s, t.basis, full, r, trials.data());
        both(trials);
    }
    EXPECT_TRUE(t.fast.s.maps.fom.pattern_due);
    Q6 flat = t.basis;
    flat[6] = 2.0 * std::sqrt(flat[1] * flat[2]);  // no volume: rejected
    both(std::vector<Q6>(5, flat));
    EXPECT_EQ(ra[4], 'v');
    rivi::leave_last_pattern(t.fast.s);
    t.expect_same_state("rows left due");

    // A single trial after rows left due: the due pattern is made first, and
    // stays when the trial is rejected.
    map_patterns::row_trials(t.fast.s, t.basis, full, (full.rmin + full.rmax) / 2, trials.data());
    both(trials);
    EXPECT_EQ(rivi::calcm(t.fast.s, flat), rivi::calcm(t.plain.s, flat));
    t.expect_same_state("a rejected trial after a row left due");
}

TEST(FastEvaluator, RowsTakenAheadShowWhatTheirRowsShowOneByOne)
{
    // Three rows evaluated together on two threads, taken one by one, then
    // the pattern left: the same as the plain rules row by row, the calcfm
    // mark included; then a row of the plain rules (the line listing) taken
    // from the rows ahead.
    Twins t;
    t.load(map_patterns::patterns[3], 'P', false, 'N');
    for (control::Session* s : {&t.fast.s, &t.plain.s}) {
        s->maps.fom.use_calcfm = true;
        s->maps.fom.first_call_marker = true;
    }
    t.fast.s.maps.fom.threads = 2;
    const map_patterns::Grid full = map_patterns::full_grid(t.basis);
    const int n = full.columns;
    std::vector<Q6> trials(3 * static_cast<std::size_t>(n));
    const int mid = (full.rmin + full.rmax) / 2;
    for (int i = 0; i < 3; ++i)
        map_patterns::row_trials(t.fast.s, t.basis, full, mid + 40 * i, &trials[i * n]);
    std::vector<double> va(n), vb(n);
    std::vector<char> ra(n), rb(n);
    rivi::evaluate_rows_ahead(t.fast.s, trials.data(), 3, n);
    for (int i = 0; i < 3; ++i) {
        rivi::take_row(t.fast.s, i, va.data(), ra.data());
        rivi::evaluate_row_plain(t.plain.s, &trials[i * n], n, vb.data(), rb.data());
        EXPECT_EQ(va, vb) << "row " << i;
        EXPECT_EQ(ra, rb) << "row " << i;
    }
    rivi::leave_last_pattern(t.fast.s);
    t.expect_same_state("three rows ahead");
    EXPECT_EQ(t.fast.screen(), "*");

    for (control::Session* s : {&t.fast.s, &t.plain.s})
        s->maps.fom.line_listing = true;
    rivi::evaluate_rows_ahead(t.fast.s, trials.data(), 1, n);
    rivi::take_row(t.fast.s, 0, va.data(), ra.data());
    rivi::evaluate_row_plain(t.plain.s, trials.data(), n, vb.data(), rb.data());
    EXPECT_EQ(va, vb);
    t.expect_same_state("a row of the plain rules taken ahead");
}

TEST(FastEvaluator, CalcfmRowsWriteTheirMarkOnceAndTestEveryAngle)
{
    Twins t;
    t.load(map_patterns::patterns[1], 'I', true, 'N');
    for (control::Session* s : {&t.fast.s, &t.plain.s}) {
        s->maps.fom.use_calcfm = true;
        s->maps.fom.first_call_marker = true;
    }
    const map_patterns::Grid quick = map_patterns::quick_grid(t.basis);
    std::vector<Q6> trials(quick.columns);
    for (int r = quick.rmin; r <= quick.rmax; r += 5) {
        map_patterns::row_trials(t.fast.s, t.basis, quick, r, trials.data());
        ASSERT_TRUE(t.same_row(trials, "calcfm row " + std::to_string(r)));
    }
    EXPECT_EQ(t.fast.screen(), "*");
}

// Random cells near a pattern's own: diagonal constants scaled, cross
// constants anywhere in their range and now and then exactly 0, so that
// lines equal by a sign flip, angles and volumes at their limits, and
// near coincidences all come up.
Q6 random_trial(std::mt19937& gen, const Q6& around)
{
    std::uniform_real_distribution<double> scale(0.6, 1.6), unit(-1.0, 1.0);
    std::uniform_int_distribution<int> pick(0, 5);
    Q6 q{};
    for (int i = 1; i <= 3; ++i)
        q[i] = around[i] * scale(gen);
    if (pick(gen) == 0)
        q[2] = q[1];  // a square net: lines equal by exchange
    const double bound[3] = {2 * std::sqrt(q[2] * q[3]), 2 * std::sqrt(q[3] * q[1]),
                             2 * std::sqrt(q[1] * q[2])};
    for (int i = 0; i < 3; ++i)
        q[4 + i] = pick(gen) < 2 ? 0.0 : bound[i] * unit(gen);
    return q;
}

TEST(FastEvaluator, RandomTrialsGiveTheSameValueCodeAndPattern)
{
    std::mt19937 gen(20240611);  // a fixed seed: the same trials every run
    std::uniform_int_distribution<int> zone_pick(0, 3);
    const char zones[] = {'N', 'A', 'B', 'C'};
    int trial = 0;
    for (const map_patterns::Pattern& p : map_patterns::patterns) {
        for (const Rule& rule : rules) {
            Twins t;
            t.load(p, rule.mchar, rule.new_rule, 'N');
            for (control::Session* s : {&t.fast.s, &t.plain.s}) {
                s->maps.fom.zero_level = true;
            }
            const Q6 around = t.basis;
            for (int i = 0; i < 150; ++i, ++trial) {
                const Q6 q = random_trial(gen, around);
                const char zone = zones[zone_pick(gen)];
                t.fast.s.maps.fom.zone_letter = t.plain.s.maps.fom.zone_letter = zone;
                const std::string where = std::string(p.name) + " trial " +
                                          std::to_string(trial) + " zone " + zone;
                ASSERT_TRUE(t.same_row({q}, where));
            }
            // A batch through the row evaluator, diagonals changing now and then.
            std::vector<Q6> batch;
            for (int i = 0; i < 100; ++i)
                batch.push_back(i % 7 == 0 || batch.empty() ? random_trial(gen, around) : batch.back());
            for (int i = 0; i < 100; ++i) {
                const Q6 other = random_trial(gen, around);
                for (int j = 4; j <= 6; ++j)
                    if (i % 3 != 0)
                        batch[i][j] = other[j];
            }
            ASSERT_TRUE(t.same_row(batch, std::string(p.name) + " random batch"));
        }
    }
}

TEST(FastEvaluator, CoincidentLinesOfUnequalIndicesAreSettledAsThePlainRulesSettleThem)
{
    // Q(C) = 4 Q(A) = 4 Q(B): 0 0 1 falls on 2 0 0, 1 0 1 on 0 1 2 ...; a
    // line exactly at Qmax meets the closing entry; a hexagonal net pairs
    // 1 0 0 with 0 1 0 and 1 -1 0.
    Twins t;
    t.load(map_patterns::patterns[0], 'P', true, 'N');
    for (control::Session* s : {&t.fast.s, &t.plain.s})
        s->maps.fom.Qmax = 1600.0;
    const std::vector<Q6> trials = {
        {0, 100, 100, 400, 0, 0, 0},   {0, 100, 100, 400, 0, 0, 30},   {0, 100, 100, 400, 50, 50, 0},
        {0, 400, 100, 100, 0, 0, 0},   {0, 160, 160, 100, 0, 0, -160}, {0, 160, 160, 100, 0, 0, 160},
        {0, 100, 200, 300, 0, 0, 0},   {0, 400, 400, 400, 0, 0, 0},    {0, 100, 150, 200, 0, 0.5, 0},
    };
    for (const Q6& q : trials)
        ASSERT_TRUE(t.same_row({q}, "alone"));
    ASSERT_TRUE(t.same_row(trials, "coincidences"));
}

} // namespace

TEST(FastEvaluator, ThreadsAddedAfterEarlierRunsTakeOnlyTheNextRun)
{
    // A run on two threads, then one on eight, in fresh sessions: the
    // threads added for the second must not take the finished first run
    // for their own (a run that never ends, or results read before they
    // are written).
    Twins t;
    t.load(map_patterns::patterns[2], 'P', true, 'N');
    const map_patterns::Grid full = map_patterns::full_grid(t.basis);
    const int n = full.columns, rows = 8;
    std::vector<Q6> trials(static_cast<std::size_t>(rows) * n);
    for (int i = 0; i < rows; ++i)
        map_patterns::row_trials(t.plain.s, t.basis, full, full.rmin + 3 * i, &trials[i * n]);
    std::vector<double> plain(trials.size()), fast(trials.size());
    std::vector<char> plain_codes(trials.size()), fast_codes(trials.size());
    rivi::evaluate_row_plain(t.plain.s, trials.data(), rows * n, plain.data(), plain_codes.data());
    for (int repeat = 0; repeat < 40; ++repeat) {
        testing_support::FakeSession fresh;
        map_patterns::load(fresh.s, map_patterns::patterns[2], 'P');
        fresh.s.maps.fom.threads = 2;
        rivi::evaluate_row(fresh.s, trials.data(), rows * n, fast.data(), fast_codes.data());
        fresh.s.maps.fom.threads = 8;
        rivi::evaluate_rows_ahead(fresh.s, trials.data(), rows, n);
        for (int i = 0; i < rows; ++i)
            rivi::take_row(fresh.s, i, &fast[i * n], &fast_codes[i * n]);
        ASSERT_EQ(fast, plain) << "repeat " << repeat;
        ASSERT_EQ(fast_codes, plain_codes) << "repeat " << repeat;
    }
}
