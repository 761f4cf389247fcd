// The scan of a merit map: every grid point a trial cell evaluated row by
// row, drawn as a coloured cell, fed to the peak search and the statistics.
#include <algorithm>
#include <vector>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/peak_search.hpp"
#include "rivi/trial.hpp"

namespace rivi {

namespace {

constexpr int rows_per_page = 21;

// The map is drawn in white and colours on black.
void prepare_console(console::Console& con)
{
    con.text_background(0);
    con.text_color(15);
}

// The rows' trials and their results, sized once per map: nothing is
// allocated per trial.
struct RowBuffers {
    std::vector<double> xq;      // the x cross constant of each evaluated point
    std::vector<double> x;       // its display value
    std::vector<Q6> trials;      // rows_ahead rows
    std::vector<double> values;
    std::vector<char> rejects;
    int points = 0;              // evaluated points per row
};

RowBuffers row_buffers(control::Session& s, bool full)
{
    const MapGrid& g = s.maps.settings.grid;
    const int xc = x_constant(s.maps.fom.section);
    const std::size_t positions = static_cast<std::size_t>((g.cmax - g.cmin + 1) * g.k);
    RowBuffers b;
    b.xq.resize(positions);
    b.x.resize(positions);
    b.trials.resize(positions * rows_ahead);
    b.values.resize(positions);
    b.rejects.resize(positions);
    for (int i = g.k * g.cmin; i <= g.k * g.cmax + g.k - 1; ++i) {
        if (full && i > g.L)
            break;
        b.x[b.points] = i * g.sx + g.x0;
        b.xq[b.points] = to_constant(s, xc, b.x[b.points]);
        ++b.points;
    }
    return b;
}

// Positions that may hold a peak: maps from the origin and full scans keep
// their far edge column as a neighbour only.
int tested_positions(const MapSettings& ms, int points)
{
    return ms.scan == 'F' || ms.position == 'O' ? points - 1 : points;
}

} // namespace

// The map arrays have always held single precision: 2.35 scaled by 10 is
// drawn 23, not 24.
double displayed(double v, double mscale)
{
    return static_cast<double>(static_cast<float>(v)) * mscale;
}

double scan_map(control::Session& s, bool quick_view, MapFile* file)
{
    console::Console& con = s.con;
    const MapSettings& ms = s.maps.settings;
    MapGrid g = ms.grid;
    g.label_decimals = label_decimals(g.sy);
    FomState& f = s.maps.fom;
    MapStatistics& st = s.maps.results.stats;
    PeakList& list = s.maps.results.list;
    const bool full = !quick_view && ms.scan == 'F';
    const bool display = quick_view || ms.display;
    const int yc = y_constant(f.section);

    if (display)
        prepare_console(con);
    if (f.use_calcfm && !quick_view)
        f.first_call_marker = true;

    RowBuffers b = row_buffers(s, full);
    PeakSearch search(b.points, tested_positions(ms, b.points));
    // Each slot keeps its column's x constant; the rows fill in y.
    const Q6 basis = basis_set(ms);
    const int xc = x_constant(f.section);
    for (int i = 0; i < rows_ahead; ++i) {
        Q6* row = &b.trials[static_cast<std::size_t>(i) * b.points];
        for (int j = 0; j < b.points; ++j) {
            row[j] = basis;
            row[j][xc] = b.xq[j];
        }
    }

    const long long trials_before = f.trials;
    const int pause_flag = con.pause_flag;
    double banked = 0.0;
    double start = console::seconds_of_day();
    int rows_done = 0;
    for (int r = g.rmin; r <= g.rmax; ++r) {
        const int ahead = (r - g.rmin) % rows_ahead;
        if (ahead == 0) {
            const int rows = std::min(rows_ahead, g.rmax - r + 1);
            for (int i = 0; i < rows; ++i) {
                const double yq = to_constant(s, yc, (r + i) * g.sy + g.y0);
                Q6* row = &b.trials[static_cast<std::size_t>(i) * b.points];
                for (int j = 0; j < b.points; ++j)
                    row[j][yc] = yq;
            }
            evaluate_rows_ahead(s, b.trials.data(), rows, b.points);
        }
        const Q6* trials = &b.trials[static_cast<std::size_t>(ahead) * b.points];
        const double y = r * g.sy + g.y0;
        if (display)
            con.put(s.run.thumbnails ? thumbnail_label(g, r) : row_label(y, g.label_decimals));
        take_row(s, ahead, b.values.data(), b.rejects.data());

        // Clusters of k points; a full scan draws each cluster's maximum.
        for (int j = 0; j < b.points; j += g.k) {
            const int end = std::min(j + g.k, b.points);
            double cluster_max = 0.0;
            for (int p = j; p < end; ++p) {
                const double v = b.values[p];
                if (!quick_view)
                    search.store(p + 1, v);
                if (v > st.best) {
                    st.best = v;
                    st.best_q = trials[p];
                    st.best_x = b.x[p];
                    st.best_y = y;
                }
                cluster_max = std::max(cluster_max, v);
                if (file != nullptr)
                    file->value(v, p == b.points - 1);
                st.sum += v;
                ++st.count;
            }
            if (display)
                draw_cell(con, displayed(full ? cluster_max : b.values[j], ms.Mscale),
                          b.rejects[end - 1]);
        }

        if (quick_view) {
            con.endl();
        } else {
            if (display)
                con.endl();
            else
                con.put(".");
            search.end_row(r, list);
        }
        if (file != nullptr)
            file->end_row();
        // Pages of 21 rows; the time spent in a pause is not the scan's.
        ++rows_done;
        if (display && con.pause_flag == 1 && rows_done % rows_per_page == 0 && r != g.rmax) {
            leave_last_pattern(s);
            banked += seconds_since(start);
            if (full)
                console::page_pause_next(con);
            else
                console::pause(con);
            prepare_console(con);
            start = console::seconds_of_day();
        }
    }
    leave_last_pattern(s);
    if (!quick_view) {
        search.finish(g.rmax, list);
        finish_peak_list(list, g);
    }
    if (!display)
        con.endl();
    con.pause_flag = pause_flag;
    console::reset_colours(con);
    st.trials = f.trials - trials_before;
    st.seconds = banked + seconds_since(start);
    return st.seconds;
}

void reset_map_results(MapState& m) { m.results = MapResults{}; }

void run_section(control::Session& s)
{
    s.maps.results.stats = MapStatistics{};
    scan_map(s, true, nullptr);
}

} // namespace rivi
