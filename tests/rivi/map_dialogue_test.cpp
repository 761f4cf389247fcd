// The map dialogue up to the scan: the defaults every run starts from, the
// basis-set sentence, and the settings that answers (or ENTER) leave behind
// when the replies end before the map is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "cell/conversions.hpp"
#include "console/channels.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "rivi/map_dialogue.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

using testing_support::FakeSession;
using testing_support::ScratchDir;

// A monoclinic cell, unique axis b: beta* = 83 deg lies in the C-section.
constexpr double cell_a = 7.5, cell_b = 9.2, cell_c = 5.6, cell_beta = 97.0;

// The first n distinct lines of the cell, each moved by a small known error;
// the cell is left stored (as LC or CE would leave it) when `stored`.
void monoclinic_pattern(dataset::Dataset& ds, int n, bool stored)
{
    ds.Dset = "MONO";
    ds.DD = {0, cell_a, cell_b, cell_c, 90.0, cell_beta, 90.0};
    ASSERT_TRUE(cell::cell_from_direct(ds));
    std::vector<double> q;
    for (int h = -6; h <= 6; ++h)
        for (int k = 0; k <= 6; ++k)
            for (int l = -6; l <= 6; ++l) {
                const double v = h * h * ds.QQ[1] + k * k * ds.QQ[2] + l * l * ds.QQ[3] +
                                 h * l * ds.QQ[5];
                if (v > 0.0 && v < 2000.0)
                    q.push_back(v);
            }
    std::sort(q.begin(), q.end());
    q.erase(std::unique(q.begin(), q.end(), [](double x, double y) { return y - x < 1.0; }),
            q.end());
    ASSERT_GE(static_cast<int>(q.size()), n);
    ds.Nobs = n;
    for (int i = 1; i <= n; ++i) {
        ds.OQ[i] = q[i - 1] + 0.05 * std::sin(1.7 * i);
        dataset::two_theta_from_q(ds, ds.OQ[i], 0.0, ds.OT[i]);
    }
    ds.Ctype = stored ? 1 : 0;
}

// A map command run on the replies until they run out, as the session's
// flags for MM (or HM) set it up.
struct MapDialogueTest : ::testing::Test {
    ScratchDir dir;
    std::unique_ptr<FakeSession> f;

    control::Session& session(const std::string& replies, int lines, bool stored,
                              const std::string& kind = "M")
    {
        f = std::make_unique<FakeSession>(replies);
        monoclinic_pattern(f->s.ds, lines, stored);
        f->s.run.map_kind = kind;
        return f->s;
    }
    // Runs the dialogue; true when the replies ran out inside it.
    bool run()
    {
        try {
            rivi::map_command(f->s);
        } catch (const console::InputEnded&) {
            return true;
        }
        return false;
    }
    bool shown(const std::string& text) const
    {
        return f->screen().find(text) != std::string::npos;
    }
    const rivi::MapSettings& settings() const { return f->s.maps.settings; }
    const rivi::FomState& fom() const { return f->s.maps.fom; }
};

std::string enters(int n) { return std::string(static_cast<std::size_t>(n), '\n'); }

TEST_F(MapDialogueTest, EveryRunStartsFromTheDefaults)
{
    control::Session& s = session("", 25, false);
    s.maps.fom.amin = 50.0;
    s.maps.fom.Vmax = 300.0;
    s.maps.fom.Pmin = 0.01;
    s.maps.fom.section = 'A';
    s.maps.fom.zero_level = true;
    s.maps.settings.Mscale = 3.0;
    s.maps.settings.scan = 'F';
    s.ds.included.fill(false);
    s.ds.included[30] = true;

    rivi::reset_map_state(s);
    const rivi::FomState& f = fom();
    EXPECT_EQ(f.amin, 30.0);
    EXPECT_EQ(f.Vmax, 6000.0);
    EXPECT_EQ(f.Pmin, 0.0001);
    EXPECT_EQ(f.Pthresh, 0.25);
    EXPECT_EQ(f.Qdiflim, 3.0);
    EXPECT_EQ(f.section, 'C');
    EXPECT_FALSE(f.zero_level);
    EXPECT_EQ(f.zone_letter, 'N');
    EXPECT_EQ(f.Nobsused, 20);
    EXPECT_DOUBLE_EQ(f.Qmax, s.ds.OQ[25] + 50.0);
    EXPECT_EQ(settings().Mscale, 1.0);
    EXPECT_EQ(settings().scan, 'Q');
    EXPECT_TRUE(settings().angle_mode);
    EXPECT_EQ(settings().grid.cmin, 0);
    EXPECT_EQ(settings().grid.cmax, 30);
    EXPECT_EQ(settings().grid.rmin, -20);
    EXPECT_EQ(settings().grid.rmax, 20);
    for (int i = 1; i <= 25; ++i)
        EXPECT_TRUE(s.ds.included[i]) << "line " << i;
    EXPECT_FALSE(s.ds.included[26]);
    EXPECT_FALSE(s.ds.included[30]);

    // The dataset's own Qmax, when set, bounds the trials; few lines are all used.
    s.ds.Qmax = 1234.5;
    s.ds.Nobs = 15;
    rivi::reset_map_state(s);
    EXPECT_EQ(fom().Qmax, 1234.5);
    EXPECT_EQ(fom().Nobsused, 15);
}

TEST(MapBasisSentence, NamesWhatIsAvailable)
{
    const rivi::TwoLines both = rivi::basis_sentence(true, true);
    EXPECT_EQ(both.first, "At present a suitable BSL file is available and a possible stored "
                          "cell has also been loaded.");
    EXPECT_EQ(both.second, "");
    EXPECT_EQ(rivi::basis_sentence(true, false).first,
              "At present a suitable BSL file is available but no stored cell has been loaded.");
    const rivi::TwoLines cell = rivi::basis_sentence(false, true);
    EXPECT_EQ(cell.first,
              "At present no suitable BSL file is available (consider running LZON now to");
    EXPECT_EQ(cell.second, "create one) but a possible stored cell has been loaded.");
    EXPECT_EQ(rivi::basis_sentence(false, false).second,
              "create one) and no stored cell has been loaded.");
}

TEST_F(MapDialogueTest, HeuristicMapByDefaultsIsAPMapOfAllLinesWithSuppression)
{
    // Every question answered with ENTER up to the map-file offer.
    session(enters(15), 25, true, "H");
    ASSERT_TRUE(run());
    EXPECT_TRUE(shown("Save comma-delimited version of P-map to file MONO.PMP (Y/N, default=N)? "));
    EXPECT_EQ(fom().Mchar, 'P');
    EXPECT_EQ(settings().data_source, 'G');
    EXPECT_EQ(fom().Pmin, 0.0001);
    EXPECT_EQ(fom().Qdiflim, 3.0);
    EXPECT_EQ(fom().Nobsused, 25);
    // The zero-level pass switched the hk0 lines off.
    EXPECT_GT(fom().mNobs, 0);
    EXPECT_LT(fom().mNobs, 25);
    EXPECT_TRUE(shown("have been flagged as non-zero-level)"));
    EXPECT_EQ(settings().source, rivi::BasisSource::zone);
    EXPECT_EQ(settings().position, 'O');
    EXPECT_EQ(settings().grid.cmax, 30);
    // The one-quadrant rule: Q(F) of the stored cell is exactly 0.
    EXPECT_TRUE(settings().one_quadrant);
    EXPECT_EQ(settings().grid.rmin, 0);
    EXPECT_DOUBLE_EQ(fom().Qmax, f->s.ds.OQ[25] + 50.0);
}

TEST_F(MapDialogueTest, TopographyCentresOnTheStoredCellWithoutSuppression)
{
    // T; then ENTER at every question to the steps.
    session("t\n" + enters(9), 15, true);
    ASSERT_TRUE(run());
    EXPECT_TRUE(shown("  Suppress zero-level hk0 lines (Y/N, default=N): (No)"));
    EXPECT_TRUE(shown("  Number of obs lines to be used (default=15): 15"));
    EXPECT_TRUE(shown("  Map position (O/C/P/S or value of alpha*, default=S): (S)"));
    EXPECT_EQ(settings().position, 'S');
    EXPECT_NEAR(settings().grid.x0, 90.0, 1e-6);
    EXPECT_NEAR(settings().grid.y0, 180.0 - cell_beta, 1e-6);
    EXPECT_EQ(settings().grid.cmin, -15);
    EXPECT_EQ(settings().grid.rmin, -10);
    EXPECT_EQ(fom().mNobs, 15);
    // The run's switches are off again.
    EXPECT_FALSE(f->s.run.topography);
}

TEST_F(MapDialogueTest, TopographyWithoutACellIsRefused)
{
    session("t\n", 25, false);
    EXPECT_FALSE(run());
    EXPECT_TRUE(shown("** No cell loaded yet - please run LC, LO or CE first **"));
    EXPECT_FALSE(shown("Are you ready"));
}

TEST_F(MapDialogueTest, TypedCentreAsksForTheOtherAndMagnifierDividesTheSteps)
{
    // I, ready, angles, quick, zone C of the stored cell, defaults, no
    // suppression, lines, scale; then position 88.5 / 84 and magnifier 2.
    session(enters(7) + "n\n" + enters(2) + "88.5\n84\nx\n2\n", 25, true);
    ASSERT_TRUE(run());
    EXPECT_TRUE(shown("and central value of beta* (deg) (default=90): 84"));
    EXPECT_EQ(settings().position, 'U');
    EXPECT_EQ(settings().grid.x0, 88.5);
    EXPECT_EQ(settings().grid.y0, 84.0);
    EXPECT_DOUBLE_EQ(settings().grid.sx, -0.05);
    EXPECT_DOUBLE_EQ(settings().grid.sy, -0.05);
    EXPECT_TRUE(shown("  giving alpha*-step = -0.050 and beta*-step = -0.050."));
}

TEST_F(MapDialogueTest, DivisorMultipliesTheSteps)
{
    session(enters(7) + "n\n" + enters(2) + "c\n/\n4\n", 25, true);
    ASSERT_TRUE(run());
    EXPECT_EQ(settings().position, 'C');
    EXPECT_DOUBLE_EQ(settings().grid.sx, -0.4);
    EXPECT_DOUBLE_EQ(settings().grid.sy, -0.4);
}

TEST_F(MapDialogueTest, FullScanIsDescribedFromTheMinimumAngle)
{
    // I, ready, angles, full, display suppressed, minimum angle 5 (refused)
    // then 80, zone C, lines, suppression off.
    session(enters(3) + "f\n\n5\n80\n" + enters(2) + "n\n\n", 25, true);
    ASSERT_TRUE(run());
    EXPECT_TRUE(shown("  ** Out of range **"));
    EXPECT_EQ(fom().amin, 80.0);
    EXPECT_FALSE(settings().display);
    // (90 - 80) / 0.1 = 100 steps in clusters of 4, one quadrant down.
    EXPECT_TRUE(shown("Full scan:\n  Origin + 100 steps horizontally\n"
                      "  100 steps vertically (i.e. 101 points)\n"
                      "  Step size = 0.100 (both across and down)\n"));
    EXPECT_EQ(settings().grid.k, 4);
}

TEST_F(MapDialogueTest, TypedBasisLeavesTheStoredCellAsItWas)
{
    // A basis set of other diagonals is converted into the working cell's rows
    // for the scan; when the run ends the stored cell is back.
    control::Session& s = session(enters(4) + "u\n150\n100\n300\n0\n", 25, true);
    const dataset::Dataset before = s.ds;
    ASSERT_TRUE(run());
    EXPECT_EQ(settings().basis[1], 150.0);
    EXPECT_EQ(settings().source, rivi::BasisSource::user);
    EXPECT_EQ(s.ds.DD, before.DD);
    EXPECT_EQ(s.ds.RR, before.RR);
    EXPECT_EQ(s.ds.QQ, before.QQ);
    EXPECT_EQ(s.ds.Q2A, before.Q2A);
    EXPECT_EQ(s.ds.Ctype, before.Ctype);
}

TEST_F(MapDialogueTest, ARunRecordsInTheWorkingDatasetsFilesNotInThoseLeftOpen)
{
    // MM by defaults on the stored cell, after a map of another dataset left
    // its log, local log and summary open.
    control::Session& s = session(enters(40), 25, true);
    ASSERT_EQ(s.out.log.open_append("OTHER.LOG"), 0);
    ASSERT_EQ(s.out.map_cmg.open_append("OTHER.CMG"), 0);
    ASSERT_EQ(s.out.map_sum.open_append("OTHER.SUM"), 0);
    EXPECT_FALSE(run());
    console::close_all(s.out);
    EXPECT_EQ(dir.read("OTHER.LOG"), "");
    EXPECT_EQ(dir.read("OTHER.CMG"), "");
    EXPECT_EQ(dir.read("OTHER.SUM"), "");
    EXPECT_NE(dir.read("MONO.LOG").find("** MMAP (Index) on MONO:"), std::string::npos);
    EXPECT_NE(dir.read("MONO.CMG").find("found with M1 > 5.0"), std::string::npos)
        << f->screen();
    EXPECT_NE(dir.read("MONO.SUM").find("MMap"), std::string::npos);
}

TEST_F(MapDialogueTest, SinglePointUsesTheBestPeakOfTheLastMap)
{
    // I, ready, angles, S, zone C, defaults, no suppression, lines; P.
    control::Session& s = session(enters(3) + "s\n" + enters(3) + "n\n\np\n", 25, true);
    s.maps.map_made = true;
    s.maps.best_peak_x = 90.0;
    s.maps.best_peak_y = 83.0;
    EXPECT_FALSE(run());
    EXPECT_TRUE(shown("  Use best peak from the last map: (90.000, 83.000)"));
    EXPECT_TRUE(shown("Single point (90.000, 83.000) deg"));
    EXPECT_TRUE(shown("20 of 20 lines compared (listed in MONO.LOG)"));
    // The figure of merit of the exact cell stands far above a chance level.
    EXPECT_GT(fom().last_fom, 50.0);
    EXPECT_FALSE(fom().line_listing);
}

TEST_F(MapDialogueTest, TheBestPeakOfAQScanCentresAnAngleMapOnTheSameTrial)
{
    // The last map was a Q-scan of the hk0 section; its best peak lay at the
    // stored cell's Q(D) = 0, Q(E). An angle-mode single point on P takes
    // the same trial: alpha* 90, beta* 83 deg, not 0 and Q(E) as degrees.
    control::Session& s = session(enters(3) + "s\n" + enters(3) + "n\n\np\n", 25, true);
    s.maps.map_made = true;
    s.maps.best_peak_angle_mode = false;
    s.maps.best_peak_x = 0.0;
    s.maps.best_peak_y = s.ds.QQ[5];
    s.maps.best_peak_q = s.ds.QQ;
    EXPECT_FALSE(run());
    EXPECT_TRUE(shown("  Use best peak from the last map: (90.000, 83.000)")) << f->screen();
    EXPECT_GT(fom().last_fom, 50.0);
}

} // namespace

namespace {

// The text of the screen row y from column x, as the console's model holds it.
std::string screen_text(const console::Console& con, int x, int y, int n)
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += con.cell(x + i, y);
    return text;
}

// Some text is written in the colour that `escape` sets, rather than the
// colour being replaced at once.
bool written_in(const std::string& out, const std::string& escape)
{
    for (auto at = out.find(escape); at != std::string::npos; at = out.find(escape, at + 1))
        if (at + escape.size() < out.size() && out[at + escape.size()] != '\x1b')
            return true;
    return false;
}

TEST(Thumbnails, EachSectionFillsItsOwnWindowBesideTheLegend)
{
    ScratchDir dir;
    // On a terminal; the replies end at the M3 offer, before its line end
    // could scroll the screen.
    FakeSession f("", true);
    monoclinic_pattern(f.s.ds, 25, true);
    f.s.ds.Abs = "C";
    f.s.run.map_kind = "M";
    f.s.run.quick_view = true;
    f.s.run.thumbnails = true;
    f.s.run.topography = true;
    EXPECT_THROW(rivi::map_command(f.s), console::InputEnded);
    const console::Console& con = f.con;
    EXPECT_EQ(screen_text(con, 1, 16, 13), "       ( M1 )");
    EXPECT_EQ(screen_text(con, 1, 20, 15), "  0.2 deg steps");
    EXPECT_EQ(screen_text(con, 1, 23, 14), " of C to avoid");
    // Windows of 38 x 11 at (2, 1), (42, 1) and (22, 13): nine rows, the x
    // ruler and the section's name on the last row of each.
    EXPECT_EQ(screen_text(con, 2, 11, 11), "  A-section");
    EXPECT_EQ(screen_text(con, 42, 11, 11), "  B-section");
    EXPECT_EQ(screen_text(con, 22, 23, 11), "  C-section");
    EXPECT_EQ(screen_text(con, 2, 1, 6), " 90.8 ");   // A: gamma* 90 + 4 x 0.2
    EXPECT_EQ(screen_text(con, 22, 17, 6), " 83.0 "); // C: beta* of the cell, the middle row
    EXPECT_EQ(screen_text(con, 1, 25, 20), "  Display M3-style s");
    // Each cell is written in its own colour, blue for the tens 1 and red
    // from the tens 4 on (PC blue is ANSI 4, PC red ANSI 1), not in the
    // white that ends the row.
    EXPECT_TRUE(written_in(f.screen(), "\x1b[34;40m")) << f.screen();
    EXPECT_TRUE(written_in(f.screen(), "\x1b[31;40m"));
    // The switches are off again, and the window is the whole screen.
    EXPECT_FALSE(f.s.run.thumbnails);
    EXPECT_FALSE(f.s.run.quick_view);
    EXPECT_TRUE(f.con.window_is_full());
}

} // namespace
