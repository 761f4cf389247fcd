// Whole map runs with the settings filled in as the map dialogue leaves them:
// a full scan of a monoclinic pattern finds its cell and records it so that LC
// loads it back; an empty map records nothing; the display of quick and
// full scans; the header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include <unistd.h>

#include "cell/conversions.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "indexing/commands.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"
#include "rivi/trial.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::count_of;
using testing_support::FakeSession;
using testing_support::lines_of;
using testing_support::ScratchDir;

// Sucrose, P2(1) (Hanson, Sieker & Jensen, Acta Cryst. B29 (1973) 797):
// a = 10.8633, b = 8.7050, c = 7.7585 A, beta = 102.945 deg; unique axis b,
// so beta* = 180 - beta lies in the hk0-based C-section (Q(F) = 0).
constexpr double cell_a = 10.8633, cell_b = 8.7050, cell_c = 7.7585, cell_beta = 102.945;
constexpr double true_beta_star = 180.0 - cell_beta;

// The first `n` distinct lines of the cell, each moved by a small known
// error (at most 0.03 QU.) so that M1 stays finite.
void sucrose_pattern(dataset::Dataset& ds, int n)
{
    ds.Dset = "SUCROSE";
    ds.Title = "Sucrose computed";
    ds.DD = {0, cell_a, cell_b, cell_c, 90.0, cell_beta, 90.0};
    ASSERT_TRUE(cell::cell_from_direct(ds));
    std::vector<double> q;
    for (int h = -8; h <= 8; ++h)
        for (int k = 0; k <= 8; ++k)
            for (int l = -8; l <= 8; ++l) {
                const double v = h * h * ds.QQ[1] + k * k * ds.QQ[2] + l * l * ds.QQ[3] +
                                 h * l * ds.QQ[5];
                if (v > 0.0 && v < 1200.0)
                    q.push_back(v);
            }
    std::sort(q.begin(), q.end());
    q.erase(std::unique(q.begin(), q.end(), [](double x, double y) { return y - x < 0.05; }),
            q.end());
    ASSERT_GE(static_cast<int>(q.size()), n);
    ds.Nobs = n;
    for (int i = 1; i <= n; ++i) {
        ds.OQ[i] = q[i - 1] + 0.03 * std::sin(1.7 * i);
        dataset::two_theta_from_q(ds, ds.OQ[i], 0.0, ds.OT[i]);
        ds.included[i] = true;
    }
    ds.Ctype = 0;
}

// The settings a dialogue leaves for an M1 map of the hk0 basis zone.
void hk0_full_scan(control::Session& s, double amin, bool display)
{
    dataset::Dataset& ds = s.ds;
    rivi::FomState& f = s.maps.fom;
    rivi::MapSettings& ms = s.maps.settings;
    ms.basis = {0, ds.QQ[1], ds.QQ[2], ds.QQ[3], 0.0, 0.0, ds.QQ[6]};
    ms.source = rivi::BasisSource::zone;
    ms.angle_mode = true;
    ms.scan = 'F';
    ms.display = display;
    ms.one_quadrant = ds.QQ[6] == 0.0;
    ms.position = 'O';
    ms.amin_default = false;
    f.Mchar = 'M';
    f.section = 'C';
    f.amin = amin;
    f.Nobsused = std::min(ds.Nobs, 20);
    f.mNobs = f.Nobsused;
    f.Qmax = ds.OQ[f.Nobsused] + 50.0;
    rivi::compute_zones(f.zones, ds.OQ.data(), ds.Nobs);
    double px = 0, py = 0;
    rivi::section_products('C', ms.basis, px, py);
    ms.grid = rivi::full_scan_grid(true, amin, px, py, ms.one_quadrant);
    // The basis set becomes a cell, so that the angles convert with its Q2A.
    ASSERT_TRUE(cell::cell_from_powder_constants(ds, ms.basis));
    s.run.map_kind = "M";
    s.run.topography = false;
}

std::string enters(int n) { return std::string(static_cast<std::size_t>(n), '\n'); }

// A sucrose session working in a scratch directory, its replies scripted,
// screen paging off unless a test turns it on.
struct SucroseRun {
    SucroseRun(const std::string& script, int nobs, double amin, bool display) : fs(script)
    {
        s.con.pause_flag = 0;
        sucrose_pattern(s.ds, nobs);
        hk0_full_scan(s, amin, display);
    }
    const std::string& screen() const { return fs.screen(); }

    ScratchDir dir;
    FakeSession fs;
    control::Session& s = fs.s;
};

TEST(MapRun, AFullScanFindsAMonoclinicCellThatLcLoadsBack)
{
    SucroseRun run(enters(40), 25, 70.0, false);
    control::Session& s = run.s;
    ScratchDir& dir = run.dir;
    rivi::run_map(s);

    const std::string& screen = run.screen();
    // The display of a full scan off: one "." per row and nothing else.
    const int rows = s.maps.settings.grid.rmax - s.maps.settings.grid.rmin + 1;
    EXPECT_NE(screen.find("\n" + std::string(static_cast<std::size_t>(rows), '.') + "\n"),
              std::string::npos);
    EXPECT_NE(screen.find("Used the first 20 of 25 observed lines"), std::string::npos);

    // The best refined peak is the true cell: alpha* 90, beta* within 0.05 deg.
    const rivi::PeakList& list = s.maps.results.list;
    ASSERT_GE(list.n, 1) << screen;
    EXPECT_NEAR(list.peaks[1].x, 90.0, 0.05) << screen;
    EXPECT_NEAR(list.peaks[1].y, true_beta_star, 0.05) << screen;
    EXPECT_GT(list.peaks[1].refined, 5.0);
    EXPECT_GE(list.peaks[1].refined, list.peaks[1].raw);
    EXPECT_TRUE(s.maps.map_made);
    EXPECT_NE(screen.find("Best after parabolic refinement:  M1 = "), std::string::npos);

    // Recorded in both logs and both summaries; the summary update requested.
    const std::string sum = dir.read("SUCROSE.SUM");
    EXPECT_EQ(sum, dir.read("SUCROSE.CSM"));
    EXPECT_GE(count_of(sum, "\r\n"), 1);
    EXPECT_EQ(sum.substr(31 - 1, 12), "        MMap");
    const std::string cmg = dir.read("SUCROSE.CMG");
    EXPECT_NE(cmg.find("found with M1 > 5.0"), std::string::npos) << cmg;
    EXPECT_NE(cmg.find("Scan timings: "), std::string::npos);
    EXPECT_NE(cmg.find(sum.substr(0, sum.find("\r\n"))), std::string::npos);
    EXPECT_NE(dir.read("SUCROSE.LOG").find("** MMAP (Index) on SUCROSE:"), std::string::npos);
    EXPECT_TRUE(s.run.map_solutions_pending);
    EXPECT_NE(dir.read("_SETPARM.BAT").find("SET _P2Qid=MM"), std::string::npos);

    // LC: the summary file, the dataset's name, the first cell, no copy, no thumbnails.
    FakeSession lc("S\n\n1\nN\nN\n" + enters(5));
    lc.s.ds.Dset = "SUCROSE";
    indexing::LC(lc.s);
    const dataset::Dataset& ds = lc.s.ds;
    EXPECT_NEAR(ds.DD[1], cell_a, 0.01) << lc.screen();
    EXPECT_NEAR(ds.DD[2], cell_b, 0.01);
    EXPECT_NEAR(ds.DD[3], cell_c, 0.01);
    EXPECT_NEAR(ds.DD[4], 90.0, 0.05);
    EXPECT_NEAR(ds.DD[5], cell_beta, 0.05);
    EXPECT_NEAR(ds.DD[6], 90.0, 0.05);
}

TEST(MapRun, AnEmptyMapRecordsNothing)
{
    SucroseRun run(enters(20), 20, 70.0, true);
    control::Session& s = run.s;
    ScratchDir& dir = run.dir;
    s.maps.fom.Vmax = 1.0;  // every trial refused for its volume
    rivi::MapSettings& ms = s.maps.settings;
    ms.scan = 'Q';
    double px = 0, py = 0;
    rivi::section_products('C', ms.basis, px, py);
    ms.grid = rivi::quick_grid_from_origin(true, true, px, py);
    rivi::run_map(s);

    const std::string& screen = run.screen();
    EXPECT_NE(screen.find("Mean level of M1 in this map = 0.000"), std::string::npos) << screen;
    EXPECT_NE(screen.find("\nEmpty map - no non-zero solutions found\n"), std::string::npos);
    EXPECT_EQ(screen.find("Adopt this solution"), std::string::npos);
    EXPECT_EQ(screen.find("Add indexing map"), std::string::npos);
    // Every cell shows the volume refusal.
    EXPECT_NE(screen.find("   90.0   v v v"), std::string::npos) << screen;
    EXPECT_EQ(s.maps.results.list.n, 0);
    EXPECT_FALSE(s.maps.map_made);
    EXPECT_NE(dir.read("SUCROSE.CMG").find("  Empty map - no non-zero solutions found\r\n"),
              std::string::npos);
    EXPECT_NE(dir.read("SUCROSE.LOG").find("  Empty map - no non-zero solutions found\r\n"),
              std::string::npos);
    EXPECT_EQ(dir.read("SUCROSE.SUM"), "");
    EXPECT_EQ(dir.read("SUCROSE.CSM"), "");
    EXPECT_FALSE(s.run.map_solutions_pending);
}

// A quick scan centred on (x0, y0), 31 x 21 points at 0.1 deg.
void centred_quick_scan(control::Session& s, double x0, double y0)
{
    rivi::MapSettings& ms = s.maps.settings;
    ms.scan = 'Q';
    ms.display = true;
    ms.position = 'U';
    double px = 0, py = 0;
    rivi::section_products('C', ms.basis, px, py);
    ms.grid = rivi::quick_grid_centred(true, x0, y0, px, py);
}

TEST(MapRun, AQuickScanDrawsLabelledRowsPagesAndSavesItsArray)
{
    SucroseRun run(enters(40), 20, 30.0, true);
    control::Session& s = run.s;
    ScratchDir& dir = run.dir;
    s.con.pause_flag = 1;
    rivi::MapSettings& ms = s.maps.settings;
    ms.scan = 'Q';
    ms.one_quadrant = false;
    ms.map_file = true;
    double px = 0, py = 0;
    rivi::section_products('C', ms.basis, px, py);
    ms.grid = rivi::quick_grid_from_origin(true, false, px, py);
    rivi::run_map(s);

    const auto lines = lines_of(run.screen());
    EXPECT_NE(run.screen().find("x = alpha*: 31 points (90.000 to 75.000, step -0.500 deg)\n"),
              std::string::npos);
    EXPECT_NE(run.screen().find("Save map to file SUCROSE.MMP\n"), std::string::npos);
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.rfind("Latticor MMap v1.00.00 run started on ", 0) == 0;
    });
    ASSERT_NE(first, lines.end()) << run.screen();
    // 41 rows from y = 100 down to 80, each a label and 31 cells; a pause
    // after the 21st.
    const auto row = first + 1;
    EXPECT_EQ(row->substr(0, 9), "  100.0  ");
    for (int r = 0; r < 21; ++r)
        EXPECT_EQ(row[r].size(), 9u + 62u) << row[r];
    EXPECT_EQ(row[21], "");
    EXPECT_EQ(row[22].rfind("Press ENTER to continue ", 0), 0u);
    EXPECT_EQ(row[23].substr(0, 9), "   89.5  ");
    EXPECT_EQ(row[42].substr(0, 9), "   80.0  ");
    // With screen paging on the peak table has its header.
    EXPECT_NE(run.screen().find("\n        alpha*    beta*      M1      /mean\n   1"),
              std::string::npos);

    // The array file: a line per row of 31 values (7:3) between commas.
    const auto mmp = lines_of(dir.read("SUCROSE.MMP"));
    ASSERT_EQ(mmp.size(), 41u);
    EXPECT_EQ(mmp[0].size(), 31u * 7u + 30u + 1u);  // and the CR
    EXPECT_EQ(count_of(mmp[0], ","), 30);
}

TEST(MapRun, DeclinedRefinementRecordsNothing)
{
    SucroseRun run("\nN\n" + enters(10), 20, 30.0, true);
    control::Session& s = run.s;
    ScratchDir& dir = run.dir;
    centred_quick_scan(s, 90.0, 77.0);
    rivi::run_map(s);

    const std::string& screen = run.screen();
    EXPECT_NE(screen.find("(Y/N, default=Y): N\n"), std::string::npos) << screen;
    EXPECT_EQ(screen.find("will now be refined"), std::string::npos);
    EXPECT_EQ(screen.find("Add indexing map"), std::string::npos);
    const std::string cmg = dir.read("SUCROSE.CMG");
    EXPECT_NE(cmg.find(" solution peaks found (Mmax "), std::string::npos) << cmg;
    EXPECT_NE(cmg.find(" at 90.00,77.10 deg) but not refined"), std::string::npos) << cmg;
    EXPECT_EQ(dir.read("SUCROSE.SUM"), "");
    EXPECT_FALSE(s.maps.results.refined);
    // The map was made: its best point can centre the next quick scan.
    EXPECT_TRUE(s.maps.map_made);
    EXPECT_NEAR(s.maps.best_peak_y, 77.1, 1e-9);
}

TEST(MapRun, AdoptionMakesTheRefinedPeakTheWorkingCell)
{
    std::string script;
    for (int i = 0; i < 30; ++i)
        script += "Y\n";
    SucroseRun run(script, 20, 30.0, true);
    control::Session& s = run.s;
    ScratchDir& dir = run.dir;
    dir.touch("SUCROSE.CSM/x");  // the local summary cannot be opened
    centred_quick_scan(s, 90.0, 77.0);
    rivi::run_map(s);

    const std::string& screen = run.screen();
    EXPECT_NE(screen.find("  Passed validity check and adopted as current cell\n"),
              std::string::npos) << screen;
    const dataset::Dataset& ds = s.ds;
    EXPECT_EQ(ds.Ctype, 2);
    EXPECT_EQ(ds.cell_valid, 1);
    EXPECT_NEAR(ds.DD[5], cell_beta, 0.05);
    EXPECT_NEAR(ds.DD[1], cell_a, 0.01);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(ds.QQ[i], s.maps.fom.mQ[i]);
    EXPECT_NE(screen.find("** Couldn't open local summary-file SUCROSE.CSM **"), std::string::npos);
    EXPECT_NE(dir.read("SUCROSE.SUM").find("MMap"), std::string::npos);
}

TEST(MapRun, ASteeringFileThatCannotBeWrittenLeavesNoUpdatePending)
{
    SucroseRun run(enters(40), 20, 30.0, true);
    control::Session& s = run.s;
    run.dir.touch("_SETPARM.BAT/x");  // a directory: the file cannot replace it
    centred_quick_scan(s, 90.0, 77.0);
    rivi::run_map(s);

    const std::string& screen = run.screen();
    ASSERT_NE(screen.find("Add indexing map solutions to the summary files"), std::string::npos)
        << screen;
    EXPECT_EQ(screen.find("A _SETPARM script file has been written"), std::string::npos) << screen;
    EXPECT_FALSE(s.run.map_solutions_pending);
    // The solutions themselves are kept.
    EXPECT_NE(run.dir.read("SUCROSE.SUM").find("MMap"), std::string::npos);
}

TEST(MapRun, ThumbnailsLabelTheirFirstMiddleAndLastRows)
{
    SucroseRun run("", 20, 30.0, true);
    control::Session& s = run.s;
    s.maps.settings.scan = 'Q';
    s.maps.settings.grid = rivi::thumbnail_grid(90.0, 77.0);
    s.run.thumbnails = true;
    s.run.quick_view = true;
    rivi::run_section(s);

    const auto lines = lines_of(run.screen());
    ASSERT_EQ(lines.size(), 9u) << run.screen();
    EXPECT_EQ(lines[0].substr(0, 6), " 77.8 ");
    EXPECT_EQ(lines[1].substr(0, 6), "    \xC2\xA6");
    EXPECT_EQ(lines[4].substr(0, 6), " 77.0 ");
    EXPECT_EQ(lines[8].substr(0, 6), " 76.2 ");
    EXPECT_EQ(lines[4].size(), 6u + 26u);
    EXPECT_EQ(s.maps.results.list.n, 0);
    EXPECT_EQ(s.maps.results.stats.count, 13 * 9);
}

TEST(MapRun, AMapFileThatCannotBeWrittenIsClosedAndTheScanGoesOn)
{
    SucroseRun run(enters(20), 20, 30.0, true);
    control::Session& s = run.s;
    if (::symlink("/dev/full", (run.dir.dir() + "SUCROSE.MMP").c_str()) != 0)
        GTEST_SKIP() << "no /dev/full";
    centred_quick_scan(s, 90.0, 77.0);
    s.maps.settings.map_file = true;
    rivi::run_map(s);
    const std::string& screen = run.screen();
    EXPECT_EQ(count_of(screen, "** Wr_str to \"SUCROSE.MMP\" failed"), 1) << screen;
    EXPECT_EQ(s.maps.results.stats.count, 31 * 21);
    EXPECT_NE(screen.find("Mean level of M1 in this map"), std::string::npos);
}

TEST(MapRun, AQScanSearchesTheCrossConstants)
{
    SucroseRun run(enters(20), 20, 30.0, true);
    control::Session& s = run.s;
    const double true_qe = s.ds.QQ[5];
    rivi::MapSettings& ms = s.maps.settings;
    ms.angle_mode = false;
    ms.scan = 'Q';
    ms.position = 'U';
    double px = 0, py = 0;
    rivi::section_products('C', ms.basis, px, py);
    ms.grid = rivi::quick_grid_centred(false, 0.0, 56.0, px, py);
    rivi::run_map(s);

    const std::string& screen = run.screen();
    EXPECT_NE(screen.find("Quick Q-scan, Figure of merit = M1\n"), std::string::npos) << screen;
    EXPECT_NE(screen.find("x = Q(D) [alpha*]: 31 points (-3.000 to  3.000, step  0.200 QU.)"),
              std::string::npos) << screen;
    EXPECT_NE(screen.find("Map-positioning:  user-specified [ 0.000,56.000]"), std::string::npos);
    const rivi::MapPeak& best = s.maps.results.list.peaks[1];
    EXPECT_NEAR(best.x, 0.0, 0.05);
    EXPECT_NEAR(best.y, true_qe, 0.05);
}

} // namespace

TEST(MapRun, AScanOnTwoThreadsShowsAndLeavesWhatItDoesOnOne)
{
    // More rows than are evaluated together, drawn: the rows, the peaks, the
    // statistics and the calculated pattern left are those of one thread.
    SucroseRun one("", 25, 60.0, true), two("", 25, 60.0, true);
    ASSERT_GT(one.s.maps.settings.grid.rmax - one.s.maps.settings.grid.rmin + 1,
              2 * rivi::rows_ahead);
    one.s.maps.fom.threads = 1;
    two.s.maps.fom.threads = 2;
    for (SucroseRun* r : {&one, &two})
        rivi::scan_map(r->s, false, nullptr);
    EXPECT_EQ(one.screen(), two.screen());
    const rivi::PeakList &a = one.s.maps.results.list, &b = two.s.maps.results.list;
    ASSERT_EQ(a.n, b.n);
    ASSERT_GT(a.n, 0);
    for (int i = 1; i <= a.n; ++i) {
        EXPECT_EQ(a.peaks[i].raw, b.peaks[i].raw) << i;
        EXPECT_EQ(a.peaks[i].x, b.peaks[i].x) << i;
        EXPECT_EQ(a.peaks[i].y, b.peaks[i].y) << i;
    }
    const rivi::MapStatistics &sa = one.s.maps.results.stats, &sb = two.s.maps.results.stats;
    EXPECT_EQ(sa.sum, sb.sum);
    EXPECT_EQ(sa.count, sb.count);
    EXPECT_EQ(sa.best, sb.best);
    EXPECT_EQ(sa.best_q, sb.best_q);
    EXPECT_EQ(sa.trials, sb.trials);
    ASSERT_EQ(one.s.ds.Ncalc, two.s.ds.Ncalc);
    for (int i = 1; i <= one.s.ds.Ncalc; ++i)
        EXPECT_EQ(one.s.ds.CQ[i], two.s.ds.CQ[i]) << i;
}
