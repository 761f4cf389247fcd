// The scans of two parameters, a row of the second parameter for each Q(A):
// Q(A) with a zero or displacement correction, the rhombic zones of Q(A)
// and gamma*, and the rectangular zones over Q(A) & Q(B) or a & b; with
// their refinement, duplicates, the salient rectangular zones and the
// centred rectangular zones equivalent to the rhombic ones.
#include <memory>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/peak_search.hpp"

namespace rivi {

namespace {

using console::real_text;

struct ZoneBuffers {
    ScanAxis xa;   // Q(A), or a
    ScanAxis ya;   // the second parameter
    std::array<double, max_scan_steps + 1> xs{}, ys{}, values{};
};

// The rows of a scan are its Q(A) (or a) values, its columns the values of
// the second parameter.
struct Grid {
    const ScanSettings& ss;
    const ZoneBuffers& b;
    bool rect() const { return ss.kind == ScanKind::rect; }
    const ScanAxis& rows() const { return b.xa; }
    const ScanAxis& columns() const { return b.ya; }
    // A rectangular zone and its mirror are one zone: only Q(B) >= Q(A), or
    // b <= a, is scanned. The columns run the way the rows do, so the half
    // is a tail of the row.
    int first_column(int r) const
    {
        if (!rect())
            return 1;
        int c = 1;
        while (c <= b.ya.n && (ss.direct ? b.ya.v[c] > b.xa.v[r] : b.ya.v[c] < b.xa.v[r]))
            ++c;
        return c;
    }
};

void make_axes(const ScanSettings& ss, ZoneBuffers& b)
{
    const bool rect = ss.kind == ScanKind::rect;
    if (rect && ss.direct) {
        // Direct-cell scans run downwards from the largest sides.
        fixed_axis(b.xa, ss.max1, ss.min1, -ss.step1);
        fixed_axis(b.ya, ss.max2, ss.min2, -ss.step2);
        return;
    }
    // Rows of Q(A) above the largest Q(B) would hold no trial.
    const double qa_end = rect && ss.max2 < ss.max1 ? ss.max2 : ss.max1;
    if (ss.dynamic)
        dynamic_axis(b.xa, ss.min1, qa_end, q_steps);
    else
        fixed_axis(b.xa, ss.min1, qa_end, ss.step1);
    if (rect && ss.dynamic)
        dynamic_axis(b.ya, ss.min2, ss.max2, q_steps);
    else
        fixed_axis(b.ya, ss.min2, ss.max2, ss.step2);
}

std::string axis_text(const std::string& name, double from, double to, bool dynamic,
                      const ScanAxis& a)
{
    std::string text = name + ": " + console::compact_real(from) + " to " + console::compact_real(to);
    if (dynamic)
        return text + " in dynamic steps [" + console::compact_real(dynamic_step(from, q_steps)) + " to " +
               console::compact_real(dynamic_step(to, q_steps)) + "]";
    return text + " in " + std::to_string(a.n) + " steps";
}

void write_header(console::Console& con, const ScanSettings& ss, const ZoneBuffers& b)
{
    const bool rect = ss.kind == ScanKind::rect;
    const bool down = rect && ss.direct;
    con.endl();
    con.line("2-dim scan in " +
             axis_text(first_name(ss), down ? ss.max1 : ss.min1, down ? ss.min1 : ss.max1,
                       ss.dynamic && !down, b.xa));
    write_axis_cut(con, first_name(ss), b.xa);
    con.line("and in " + axis_text(second_name(ss), down ? ss.max2 : ss.min2,
                                   down ? ss.min2 : ss.max2, rect && ss.dynamic && !down, b.ya));
    if (b.ya.cut && rect)
        con.line("** Row-scan exceeds limit of " + std::to_string(max_scan_steps) +
                 " steps and will be truncated to fit");
    else
        write_axis_cut(con, second_name(ss), b.ya);
}

void write_trial_count(console::Console& con, const Grid& g)
{
    long long total = 0;
    int low = 0, high = 0;
    for (int r = 1; r <= g.rows().n; ++r) {
        const int n = g.columns().n - g.first_column(r) + 1;
        total += n;
        low = r == 1 || n < low ? n : low;
        high = n > high ? n : high;
    }
    if (g.rect() && g.ss.row_buffer) {
        con.line("Trials per " + first_name(g.ss) + "-row estimated to vary between " +
                 std::to_string(low) + " and " + std::to_string(high));
        con.line("Allowing for scan-symmetry, estimated total number of unique trials = " +
                 std::to_string(total));
    } else {
        con.line("No. of trials = " + std::to_string(total));
    }
}

// A countdown of the rows still to scan, about a dozen numbers on one line.
class Countdown {
public:
    Countdown(console::Console& con, int rows) : con_(con), rows_(rows)
    {
        every_ = (rows + 11) / 12;
        if (every_ < 1)
            every_ = 1;
        con_.put("Countdown:  ");
    }
    void row(int r)
    {
        const int left = rows_ - r + 1;
        if (r == 1 || left % every_ == 0) {
            con_.put(std::to_string(left) + " ");
            con_.flush();
        }
    }
    ~Countdown() { con_.endl(); }

private:
    console::Console& con_;
    int rows_;
    int every_ = 1;
};

struct Primary {
    double best = 0.0, best_x = 0.0, best_y = 0.0;
    bool terminated = false;
    double stopped_at = 0.0;
};

// The primary scan; the peaks are left in the map's peak list with their
// coordinates (gamma* in degrees).
Primary primary_scan(control::Session& s, const ScanSettings& ss, ZoneBuffers& b,
                     ScanTrials& trials)
{
    const Grid g{ss, b};
    PeakList& list = s.maps.results.list;
    const bool gamma = ss.kind == ScanKind::gamma;
    const bool buffered = g.rect() && ss.row_buffer;
    Primary p;
    RunningPeak rule(ss.threshold);
    PeakSearch search(buffered ? g.columns().n : 0, buffered ? g.columns().n : 0);
    Countdown countdown(s.con, g.rows().n);
    int r = 1;
    for (; r <= g.rows().n && !p.terminated; ++r) {
        countdown.row(r);
        const int c0 = g.first_column(r);
        const int m = g.columns().n - c0 + 1;
        for (int i = 0; i < m; ++i) {
            b.xs[i] = b.xa.v[r];
            // The rhombic zone is evaluated on its cross constant.
            b.ys[i] = gamma ? cross_constant(b.xs[i], b.ya.v[c0 + i]) : b.ya.v[c0 + i];
        }
        trials.run(b.xs.data(), b.ys.data(), m, b.values.data());
        rule.restart();
        for (int i = 0; i < m && !p.terminated; ++i) {
            const double v = b.values[i], x = b.xs[i], y = b.ya.v[c0 + i];
            if (v > p.best) {
                p.best = v;
                p.best_x = x;
                p.best_y = y;
            }
            if (buffered) {
                // Points not above the threshold cannot be peaks.
                search.store(c0 + i, v > ss.threshold ? v : 0.0);
            } else if (rule.feed(list, x, y, v) && list.full) {
                p.terminated = true;
                p.stopped_at = x;
            }
        }
        if (buffered) {
            search.end_row(r, list);
            if (list.full) {
                p.terminated = true;
                p.stopped_at = b.xa.v[r];
            }
        }
    }
    if (buffered) {
        search.finish(r - 1, list);
        // Column positions and row indices become Q(B) (or b) and Q(A) (or a).
        for (int j = 1; j <= list.n; ++j) {
            MapPeak& q = list.peaks[j];
            const int column = static_cast<int>(q.x), row = static_cast<int>(q.y);
            q.x = b.xa.v[row];
            q.y = b.ya.v[column];
        }
    }
    return p;
}

// The rhombic zones as the centred rectangular zones they are.
void centred_zones(const ScanReport& r)
{
    PeakList& list = r.s.maps.results.list;
    for (int i = 1; i <= list.n; ++i) {
        MapPeak& p = list.peaks[i];
        centred_rectangular(p.x, cross_constant(p.x, p.y), p.x, p.y);
    }
    refined_table(r, "Equivalent centred rectangular zones [Q(A)' & Q(B)'], ordered on refined " +
                         r.fom, 0, "Q(A)'", "Q(B)'");
}

void salient_zones(const ScanReport& r)
{
    PeakList& list = r.s.maps.results.list;
    const double d = r.ss.direct ? 0.2 : 2.0;
    r.s.con.endl();
    r.s.con.line("Select 20 most salient zone peaks, with co-ords > " + real_text(d, 3, 1) +
                 " from any lower peak");
    select_zone_peaks(list, d);
    sort_peaks(list, 4);
    refined_table(r, "Main rectangular zones [" + r.names + "], sorted on refined " + r.fom, 20, "",
                  "", false);
}

} // namespace

void zone_scan(control::Session& s, const ScanSettings& ss)
{
    console::Console& con = s.con;
    ScanSetup setup(s, ss);
    const ScanReport r(s, ss);
    auto b = std::make_unique<ZoneBuffers>();
    make_axes(ss, *b);
    write_header(con, ss, *b);
    write_trial_count(con, Grid{ss, *b});
    con.line("Primary 2-dim scan running, using " + r.fom + " as figure of merit (threshold " +
             console::compact_real(ss.threshold) + " for inclusion in peaks list)");

    ScanTrials trials(s, ss);
    const Primary p = primary_scan(s, ss, *b, trials);
    if (p.terminated)
        con.line("Primary scan terminated after " + first_name(ss) + " = " +
                 real_text(p.stopped_at, 0, 4) + ": peaks array full");

    if (!raw_peaks(r, "2-dim", p.best, real_text(p.best_x, 0, 4) + ", " + console::compact_real(p.best_y)))
        return;
    PeakList& list = s.maps.results.list;
    const bool correction = ss.kind == ScanKind::z2th || ss.kind == ScanKind::tcor;
    const bool remove =
        first_refinement(r, trials, correction ? RefinePass::q_only : RefinePass::both,
                         correction ? first_name(ss) + " only" : r.names);
    if (correction) {
        refine_peaks(r, trials, RefinePass::further,
                     "Further parabolic refinement [" + r.names + "]");
        sort_peaks(list, 4);
        refined_table(r, "Further parabolic refinement [" + r.names + "], re-sorted on refined " +
                             r.fom);
        if (remove)
            remove_scan_duplicates(r, r.names, true);
    }
    if (ss.kind == ScanKind::gamma)
        centred_zones(r);
    if (ss.kind == ScanKind::rect && ss.row_buffer)
        salient_zones(r);
}

} // namespace rivi
