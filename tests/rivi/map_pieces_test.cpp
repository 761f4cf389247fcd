// The map engine's pieces on constructed inputs: the cells and labels of the
// display, the grids, the peak search and peak list, and the duplicates.
#include <gtest/gtest.h>

#include <vector>

#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/peak_search.hpp"
#include "support/fake_console.hpp"

namespace {

using rivi::cell_text;
using rivi::MapGrid;
using rivi::PeakList;

TEST(MapCells, TensInBase36ThenUnits)
{
    EXPECT_EQ(cell_text(0.4, ' '), "  ");
    EXPECT_EQ(cell_text(0.6, ' '), " .");
    EXPECT_EQ(cell_text(9.5, ' '), "10");  // halves to the even integer
    EXPECT_EQ(cell_text(2.5, ' '), " 2");
    EXPECT_EQ(cell_text(7.4, ' '), " 7");
    EXPECT_EQ(cell_text(23.0, ' '), "23");
    EXPECT_EQ(cell_text(123.0, ' '), "C3");
    EXPECT_EQ(cell_text(359.0, ' '), "Z9");
    EXPECT_EQ(cell_text(360.0, ' '), "<>");
    EXPECT_EQ(cell_text(400.0, ' '), "<>");
    EXPECT_EQ(cell_text(65535.0, ' '), "<>");
    EXPECT_EQ(cell_text(9.999999e37, ' '), "<>");
    // The scale applies to the single-precision value.
    EXPECT_EQ(cell_text(rivi::displayed(2.35, 10.0), ' '), "23");
    EXPECT_EQ(cell_text(rivi::displayed(7.4, 10.0), ' '), "74");
}

TEST(MapCells, AZeroShowsTheRejectCode)
{
    EXPECT_EQ(cell_text(0.0, 'v'), " v");
    EXPECT_EQ(cell_text(0.0, 'a'), " a");
    EXPECT_EQ(cell_text(0.0, 'n'), " n");
    EXPECT_EQ(cell_text(0.0, ' '), "  ");
    // A small value that rounds to 0 is not a rejection.
    EXPECT_EQ(cell_text(0.3, 'v'), "  ");
}

TEST(MapCells, ColoursFollowTheTensAndReturnToWhite)
{
    EXPECT_EQ(rivi::cell_colour(0.0), 15);
    EXPECT_EQ(rivi::cell_colour(9.4), 15);
    EXPECT_EQ(rivi::cell_colour(9.5), 1);
    EXPECT_EQ(rivi::cell_colour(25.0), 2);
    EXPECT_EQ(rivi::cell_colour(39.0), 3);
    EXPECT_EQ(rivi::cell_colour(40.0), 4);
    EXPECT_EQ(rivi::cell_colour(400.0), 4);

    testing_support::FakeConsole terminal("", true);
    rivi::draw_cell(terminal.con, 400.0, ' ');
    EXPECT_NE(terminal.screen().find("\x1b[31;"), std::string::npos);  // PC red is ANSI 1
    EXPECT_NE(terminal.screen().find("<>"), std::string::npos);
    EXPECT_EQ(terminal.con.attribute() & 15, 15);

    testing_support::FakeConsole redirected;
    rivi::draw_cell(redirected.con, 400.0, ' ');
    rivi::draw_cell(redirected.con, 0.0, 'a');
    EXPECT_EQ(redirected.screen(), "<> a");
}

TEST(MapCells, RowLabels)
{
    EXPECT_EQ(rivi::row_label(89.5, 1), "   89.5  ");
    EXPECT_EQ(rivi::row_label(-12.25, 2), "  -12.25  ");
    EXPECT_EQ(rivi::label_decimals(-0.1), 1);
    EXPECT_EQ(rivi::label_decimals(0.5), 1);
    EXPECT_EQ(rivi::label_decimals(0.25), 2);
    EXPECT_EQ(rivi::label_decimals(1.05), 2);
    EXPECT_EQ(rivi::label_decimals(0.125), 3);

    // Thumbnails: values on the first, middle and last rows only.
    const MapGrid g = rivi::thumbnail_grid(85.0, 100.0);
    EXPECT_EQ(rivi::thumbnail_label(g, -4), "100.8 ");
    EXPECT_EQ(rivi::thumbnail_label(g, -3), "    \xDD ");
    EXPECT_EQ(rivi::thumbnail_label(g, 0), "100.0 ");
    EXPECT_EQ(rivi::thumbnail_label(g, 1), "    \xDD ");
    EXPECT_EQ(rivi::thumbnail_label(g, 4), " 99.2 ");
}

TEST(MapNames, SectionsAndModes)
{
    EXPECT_EQ(rivi::section_name_line('C', true), "C-section: alpha* (--) / beta* (\xDD)");
    EXPECT_EQ(rivi::section_name_line('B', true), "B-section: gamma* (--) / alpha* (\xDD)");
    EXPECT_EQ(rivi::section_name_line('A', false),
              "A-section: Q(E) [beta*] (--) / Q(F) [gamma*] (\xDD)");
    EXPECT_EQ(rivi::fixed_constant('C'), 6);
    rivi::Q6 basis{0, 2, 3, 5, 0, 0, 0};
    double px = 0, py = 0;
    rivi::section_products('B', basis, px, py);  // x gamma*: Q(A)Q(B); y alpha*: Q(B)Q(C)
    EXPECT_EQ(px, 6.0);
    EXPECT_EQ(py, 15.0);
}

TEST(MapGrids, StepForBands)
{
    const std::vector<std::pair<int, double>> cases = {
        {0, 0.2},    {3, 0.2},    {4, 0.5},    {7, 0.5},    {8, 1.0},    {12, 1.0},
        {13, 1.5},   {17, 1.5},   {18, 2.0},   {22, 2.0},   {23, 2.5},   {32, 2.5},
        {33, 4.0},   {44, 4.0},   {45, 5.0},   {69, 5.0},   {70, 10.0},  {124, 10.0},
        {125, 15.0}, {174, 15.0}, {175, 20.0}, {224, 20.0}, {225, 25.0}, {324, 25.0},
        {325, 40.0}, {444, 40.0}, {445, 50.0}, {694, 50.0}, {695, 100.0}, {5000, 100.0}};
    for (auto [n, step] : cases)
        EXPECT_EQ(rivi::step_for(n), step) << n;
}

TEST(MapGrids, QuickScans)
{
    MapGrid g = rivi::quick_grid_from_origin(true, false, 0, 0);
    EXPECT_EQ(g.x0, 90.0);
    EXPECT_EQ(g.sx, -0.5);
    EXPECT_EQ(g.sy, -0.5);
    EXPECT_EQ(g.cmin, 0);
    EXPECT_EQ(g.cmax, 30);
    EXPECT_EQ(g.rmin, -20);
    EXPECT_EQ(g.rmax, 20);
    EXPECT_EQ(rivi::quick_grid_from_origin(true, true, 0, 0).rmin, 0);

    // Q mode: the step for a tenth of sqrt(P) times the base step.
    g = rivi::quick_grid_from_origin(false, false, 10000.0, 250000.0);
    EXPECT_EQ(g.x0, 0.0);
    EXPECT_EQ(g.sx, 1.0);   // n = 10
    EXPECT_EQ(g.sy, 5.0);   // n = 50
    g = rivi::quick_grid_centred(false, 12.0, -3.0, 10000.0, 250000.0);
    EXPECT_EQ(g.x0, 12.0);
    EXPECT_EQ(g.y0, -3.0);
    EXPECT_EQ(g.sx, 0.2);   // n = 2
    EXPECT_EQ(g.sy, 1.0);   // n = 10
    EXPECT_EQ(g.cmin, -15);
    EXPECT_EQ(g.rmax, 10);

    g = rivi::quick_grid_centred(true, 80.0, 100.0, 0, 0);
    EXPECT_EQ(g.sx, -0.1);
    g = rivi::section_grid(80.0, 100.0);
    EXPECT_EQ(g.cmax - g.cmin + 1, 31);
    EXPECT_EQ(g.rmax - g.rmin + 1, 21);
    g = rivi::thumbnail_grid(80.0, 100.0);
    EXPECT_EQ(g.cmax - g.cmin + 1, 13);
    EXPECT_EQ(g.rmax - g.rmin + 1, 9);
    EXPECT_EQ(g.sy, -0.2);
}

TEST(MapGrids, FullScanClustersHoldEveryPointUpToTheLimit)
{
    // 90 - 83.85 = 6.15 deg at 0.1: L = 61; 61/2 > 30, 61/3 <= 30.
    MapGrid g = rivi::full_scan_grid(true, 83.85, 0, 0, false);
    EXPECT_EQ(g.L, 61);
    EXPECT_EQ(g.k, 3);
    EXPECT_EQ(g.cmin, 0);
    EXPECT_EQ(g.cmax + 1, 21);
    EXPECT_EQ(g.k * g.cmax, 60);  // the last cluster holds 60 and 61 only
    EXPECT_EQ(g.rmin, -62);
    EXPECT_EQ(g.rmax, 62);
    EXPECT_EQ(rivi::full_scan_grid(true, 83.85, 0, 0, true).rmin, 0);

    // When k divides L the far point L still has a cluster.
    for (double amin : {30.0, 60.0, 84.0, 87.0}) {
        g = rivi::full_scan_grid(true, amin, 0, 0, false);
        EXPECT_LE(g.k * g.cmax, g.L) << amin;
        EXPECT_GE(g.k * (g.cmax + 1) - 1, g.L) << amin;
        EXPECT_LE(g.cmax + 1, 31) << amin;
        EXPECT_LE(g.L / static_cast<double>(g.k), 30.0) << amin;
        if (g.k > 1) {
            EXPECT_GT(g.L / (g.k - 1.0), 30.0) << amin;  // k is the smallest that does
        }
    }
    g = rivi::full_scan_grid(true, 30.0, 0, 0, false);
    EXPECT_EQ(g.L, 600);
    EXPECT_EQ(g.k, 20);

    // Q mode: half-widths 2 sqrt(P) cos(amin), step 0.5 QU.
    g = rivi::full_scan_grid(false, 60.0, 400.0, 100.0, false);
    EXPECT_EQ(g.sx, 0.5);
    EXPECT_EQ(g.x0, 0.0);
    EXPECT_EQ(g.L, 40);   // 20 QU.
    EXPECT_EQ(g.rmax, 20);  // 10 QU.
}

// Feeds rows of values to a search over `tested` of the row's positions.
PeakList search(const std::vector<std::vector<double>>& rows, int tested = -1)
{
    const int points = static_cast<int>(rows[0].size());
    rivi::PeakSearch s(points, tested < 0 ? points : tested);
    PeakList list;
    int r = 0;
    for (const auto& row : rows) {
        for (int p = 0; p < points; ++p)
            s.store(p + 1, row[p]);
        s.end_row(r++, list);
    }
    s.finish(r - 1, list);
    return list;
}

TEST(PeakSearch, APlateauGivesOnePeakAtItsTopLeft)
{
    PeakList list = search({{1, 1, 1, 1, 1}, {1, 5, 5, 5, 1}, {1, 1, 1, 1, 1}});
    ASSERT_EQ(list.n, 1);
    EXPECT_EQ(list.peaks[1].x, 2.0);
    EXPECT_EQ(list.peaks[1].y, 1.0);
    list = search({{1, 5, 1}, {1, 5, 1}, {1, 5, 1}});
    ASSERT_EQ(list.n, 1);
    EXPECT_EQ(list.peaks[1].y, 0.0);
}

TEST(PeakSearch, EdgesZerosAndOneRow)
{
    // A one-row map tests that row alone; outside the row counts as 0.
    PeakList list = search({{3, 1, 2, 2}});
    ASSERT_EQ(list.n, 2);
    EXPECT_EQ(list.peaks[1].x, 1.0);
    EXPECT_EQ(list.peaks[2].x, 3.0);
    // The last row is tested against the rows above only.
    list = search({{1, 1, 1, 1}, {1, 2, 1, 1}, {1, 1, 1, 4}});
    ASSERT_EQ(list.n, 2);
    EXPECT_EQ(list.peaks[1].x, 2.0);
    EXPECT_EQ(list.peaks[1].y, 1.0);
    EXPECT_EQ(list.peaks[2].x, 4.0);
    EXPECT_EQ(list.peaks[2].y, 2.0);
    // The far edge of a map from the origin is a neighbour only.
    list = search({{1, 2, 3}, {1, 2, 4}}, 2);
    EXPECT_EQ(list.n, 0);
    // Zero is never a peak.
    list = search({{0, 0}, {0, 0}});
    EXPECT_EQ(list.n, 0);
}

TEST(PeakList, TheHundredAndFirstMustBeatTheSmallest)
{
    PeakList list;
    for (int i = 1; i <= 100; ++i)
        rivi::add_peak(list, i, 0, i == 40 || i == 70 ? 1.0 : 2.0 + i);
    EXPECT_TRUE(list.full);
    rivi::add_peak(list, 200, 0, 1.0);  // equal to the smallest: not taken
    EXPECT_EQ(list.n, 100);
    EXPECT_EQ(list.peaks[40].x, 40.0);
    EXPECT_EQ(list.peaks[70].x, 70.0);
    rivi::add_peak(list, 201, 0, 1.5);  // replaces the first smallest
    EXPECT_EQ(list.peaks[40].x, 201.0);
    EXPECT_EQ(list.peaks[70].x, 70.0);
}

TEST(PeakList, CoordinatesAndRanks)
{
    PeakList list;
    rivi::add_peak(list, 1, -2, 3.0);
    rivi::add_peak(list, 4, 5, 9.0);
    rivi::add_peak(list, 2, 0, 6.0);
    MapGrid g = rivi::quick_grid_centred(true, 80.0, 100.0, 0, 0);
    rivi::finish_peak_list(list, g);
    ASSERT_EQ(list.n, 3);
    EXPECT_EQ(list.peaks[1].raw, 9.0);
    EXPECT_NEAR(list.peaks[1].x, 80.0 + (4 - 15 - 1) * -0.1, 1e-12);
    EXPECT_NEAR(list.peaks[1].y, 100.0 + 5 * -0.1, 1e-12);
    EXPECT_EQ(list.peaks[3].raw, 3.0);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(list.oldseq[i], i);

    // The refined sort carries each peak's raw rank with it.
    list.peaks[1].refined = 10.0;
    list.peaks[2].refined = 30.0;
    list.peaks[3].refined = 20.0;
    rivi::sort_peaks(list, 4);
    EXPECT_EQ(list.oldseq[1], 2);
    EXPECT_EQ(list.oldseq[2], 3);
    EXPECT_EQ(list.oldseq[3], 1);
    EXPECT_EQ(list.peaks[1].raw, 6.0);
}

TEST(PeakList, ShellSortIsDescendingForLongLists)
{
    PeakList list;
    for (int i = 1; i <= 100; ++i)
        rivi::add_peak(list, i, 0, (i * 37) % 101);
    rivi::sort_peaks(list, 3);
    for (int i = 2; i <= 100; ++i)
        EXPECT_GE(list.peaks[i - 1].raw, list.peaks[i].raw);
}

rivi::MapPeak refined_at(double x, double y, double refined, double raw = 1.0)
{
    return rivi::MapPeak{x, y, raw, refined};
}

TEST(Duplicates, TolerancesFollowTheFigureOfMerit)
{
    const auto a = refined_at(85.0, 77.0, 20.0);
    EXPECT_TRUE(rivi::duplicates(a, refined_at(85.015, 76.985, 20.01), rivi::duplicate_weight('M')));
    EXPECT_TRUE(rivi::duplicates(a, refined_at(85.015, 77.0, 20.025), rivi::duplicate_weight('M')));
    EXPECT_FALSE(rivi::duplicates(a, refined_at(85.015, 77.0, 20.025), rivi::duplicate_weight('I')));
    EXPECT_TRUE(rivi::duplicates(a, refined_at(85.0, 77.0, 20.035), rivi::duplicate_weight('P')));
    EXPECT_FALSE(rivi::duplicates(a, refined_at(85.03, 77.0, 20.0), 1.5));
}

TEST(Duplicates, TheBetterRawRankSurvives)
{
    PeakList list;
    list.n = 4;
    list.peaks[1] = refined_at(85.0, 77.0, 20.01, 4.0);
    list.peaks[2] = refined_at(60.0, 70.0, 20.005, 9.0);
    list.peaks[3] = refined_at(85.015, 77.015, 20.0, 8.0);
    list.peaks[4] = refined_at(50.0, 50.0, 6.0, 3.0);
    list.oldseq = {0, 3, 1, 2, 4};
    EXPECT_EQ(rivi::find_duplicates(list, 1.5), 1);
    EXPECT_EQ(list.oldseq[1], 2);  // the pair exchanged: better raw rank first
    EXPECT_EQ(rivi::remove_duplicates(list, 1.5), 1);
    ASSERT_EQ(list.n, 3);
    EXPECT_EQ(list.oldseq[1], 2);
    EXPECT_EQ(list.peaks[1].raw, 8.0);
    EXPECT_EQ(list.oldseq[2], 1);
    EXPECT_EQ(list.oldseq[3], 4);

    // A group of three leaves the best raw rank in the place of the first.
    list.n = 3;
    list.peaks[1] = refined_at(85.0, 77.0, 20.0, 1.0);
    list.peaks[2] = refined_at(85.01, 77.0, 20.0, 2.0);
    list.peaks[3] = refined_at(85.0, 77.01, 20.0, 3.0);
    list.oldseq = {0, 3, 2, 1};
    EXPECT_EQ(rivi::remove_duplicates(list, 1.5), 2);
    ASSERT_EQ(list.n, 1);
    EXPECT_EQ(list.oldseq[1], 1);
    EXPECT_EQ(list.peaks[1].raw, 3.0);
}

} // namespace
