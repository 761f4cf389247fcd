// ED: line operations, entry on both bases, range refusals, strip, Finish
// and the Quit that reloads the file last loaded.
#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern/editor.hpp"
#include "pattern_helpers.hpp"
#include "round_trip.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern_testing::bragg_q;
using pattern_testing::replies;
using pattern_testing::set_q_pattern;
using pattern_testing::set_two_theta_pattern;
using testing_support::FakeSession;

namespace {

bool shows(const FakeSession& f, const std::string& text)
{
    return f.screen().find(text) != std::string::npos;
}

// ED with the given replies (then Finish without saving) on a session whose
// copies are off.
void run_ed(FakeSession& f)
{
    f.s.con.output_code = 0;
    pattern::ED(f.s);
}

const std::string finish_unsaved = replies({"F", "N"});

} // namespace

TEST(EditorLines, LinesMoveWithAllTheirFieldsAndKeepTheirOrder)
{
    dataset::Dataset ds;
    set_q_pattern(ds, {100, 200, 300, 400, 500});
    for (int i = 1; i <= 5; ++i) {
        ds.OH[i] = i;
        ds.OI[i] = 10.0 * i;
        ds.icode[i] = i;
    }
    ds.included[2] = false;

    pattern::editor::open_line(ds, 2);
    ASSERT_EQ(ds.Nobs, 6);
    EXPECT_EQ(ds.OQ[3], 200.0);
    EXPECT_EQ(ds.OH[3], 2);
    EXPECT_EQ(ds.OI[6], 50.0);
    EXPECT_EQ(ds.icode[6], 5);
    EXPECT_FALSE(ds.included[2]);  // include flags belong to the position

    pattern::editor::delete_lines(ds, 1, 3);  // 100, the opened line and 200
    ASSERT_EQ(ds.Nobs, 3);
    EXPECT_EQ(ds.OQ[1], 300.0);
    EXPECT_EQ(ds.OH[1], 3);
    EXPECT_EQ(ds.OQ[3], 500.0);

    EXPECT_EQ(pattern::editor::count_at_or_below(ds, 40.0), 2);
    pattern::editor::strip_at_or_below(ds, 40.0);
    ASSERT_EQ(ds.Nobs, 1);
    EXPECT_EQ(ds.OQ[1], 500.0);
    EXPECT_EQ(ds.icode[1], 5);
}

TEST(Editor, InsertOnTheAngleBasisIsScaledAndChangePassingANeighbourResorts)
{
    // Insert before line 2 with F = 2: 15 typed is 30 degrees.
    // Change line 1 to 50 degrees (25 typed): it passes line 3 and is sorted
    // into place.
    FakeSession f(replies({"I", "2", "2", "15", "C", "1", "25"}) + finish_unsaved);
    dataset::Dataset& ds = f.s.ds;
    set_two_theta_pattern(ds, {20.0, 40.0, 60.0});
    for (int i = 1; i <= 3; ++i)
        ds.OH[i] = 1;
    run_ed(f);
    ASSERT_EQ(ds.Nobs, 4);
    const double want[] = {0, 30.0, 40.0, 50.0, 60.0};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_DOUBLE_EQ(ds.OT[i], want[i]) << "line " << i;
        EXPECT_NEAR(ds.OQ[i], bragg_q(want[i], ds.W0), 1e-8 * ds.OQ[i]) << "line " << i;
    }
    // The new and the changed line carry no indices; the others keep theirs.
    const int h[] = {0, 0, 1, 0, 1};
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(ds.OH[i], h[i]) << "line " << i;
    EXPECT_EQ(f.s.pattern.F, 2.0);
    EXPECT_TRUE(shows(f, "Existing 2Theta for line2 is 40.00000\n"
                         "0.500000* 2Theta for new line (default: pattern unchanged): 15\n"));
    EXPECT_TRUE(shows(f, "New value for 0.500000* 2Theta (default: no change): 25\n"));
    EXPECT_TRUE(shows(f, "Observed pattern needed sorting into ascending order of Q\n"));
    // The factor is offered once per run.
    EXPECT_EQ(testing_support::count_of(f.screen(), "Input new F"), 1);
    // Finish raises Qmax to the last Q + 50.
    EXPECT_NEAR(ds.Qmax, ds.OQ[4] + 50.0, 1e-5);
}

TEST(Editor, EnterLeavesNewLinesOutAndChangeRecomputes)
{
    FakeSession f(replies({"A", "", "", "I", "1", "", "C", "2", ""}) + finish_unsaved);
    dataset::Dataset& ds = f.s.ds;
    set_two_theta_pattern(ds, {20.0, 40.0});
    ds.OQ[2] = 3000.0;  // out of step with its angle
    ds.OK[2] = 3;
    run_ed(f);
    EXPECT_EQ(ds.Nobs, 2);
    EXPECT_EQ(testing_support::count_of(f.screen(), "(default: pattern unchanged): (unchanged)\n"), 2);
    EXPECT_TRUE(shows(f, "New 2Theta (default: no change):  ( 40.00000)\n"));
    EXPECT_NEAR(ds.OQ[2], bragg_q(40.0, ds.W0), 1e-8 * ds.OQ[2]);
    EXPECT_EQ(ds.OK[2], 0);
}

TEST(Editor, QBasisLinesBeyondTheWavelengthKeepNoAngleAndBadValuesAreRefused)
{
    // Append Q 20000 (beyond CuKa1), then Q 0 and a 2Theta-less change.
    FakeSession f(replies({"A", "20000", "A", "0", "C", "1", "x", "150"}) + finish_unsaved);
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 400.0});
    run_ed(f);
    ASSERT_EQ(ds.Nobs, 3);
    EXPECT_EQ(ds.OQ[3], 20000.0);
    EXPECT_EQ(ds.OT[3], 0.0);
    EXPECT_TRUE(shows(f, "Q value for new line (default: pattern unchanged): 20000 ** Yields invalid 2theta **\n"));
    EXPECT_TRUE(shows(f, ": 0 ** Q must be greater than 0 **\n"));
    // The listing at Finish takes Q back from 2Theta: equal to round-off.
    EXPECT_DOUBLE_EQ(ds.OQ[1], 150.0);
    EXPECT_NEAR(bragg_q(ds.OT[1], ds.W0), 150.0, 1e-6);
    EXPECT_FALSE(shows(f, "Input new F"));  // only the angle basis is scaled
}

TEST(Editor, AQNoFileCouldHoldIsAskedAgain)
{
    // Append 5e8 (d = 0.0045 A), then change line 1 to 4.5e8 first.
    FakeSession f(replies({"A", "5e8", "3000", "C", "1", "4.5e8", "50"}) + finish_unsaved);
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 400.0});
    run_ed(f);
    ASSERT_EQ(ds.Nobs, 3);
    EXPECT_DOUBLE_EQ(ds.OQ[1], 50.0);  // back from its 2Theta at Finish
    EXPECT_DOUBLE_EQ(ds.OQ[3], 3000.0);
    EXPECT_TRUE(shows(f, "Q value for new line (default: pattern unchanged): 5e8\n"
                         "** Q must not exceed 400000000 QU. **\n"
                         "Q value for new line (default: pattern unchanged): 3000\n"));
    EXPECT_TRUE(shows(f, "New Q value (default: no change): 4.5e8\n"
                         "** Q must not exceed 400000000 QU. **\n"));
    const testing_support::Reload back = testing_support::save_and_reload(f);
    EXPECT_TRUE(back.ok) << back.messages;
}

TEST(Editor, AFullPatternTakesNoMoreLines)
{
    // F at the listing's first page pause lets the 1000 lines run through.
    FakeSession f(replies({"A", "I", "F", "F", "N"}));
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = dataset::max_obs;
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.OQ[i] = i;
    run_ed(f);
    EXPECT_EQ(ds.Nobs, dataset::max_obs);
    EXPECT_EQ(testing_support::count_of(
                  f.screen(), "** The pattern already holds 1000 lines - no line can be added **\n"),
              2);
}

TEST(Editor, MeasuredIntensitiesRederiveTheCodes)
{
    FakeSession measured(replies({"A", "500", "1000"}) + finish_unsaved);
    dataset::Dataset& m = measured.s.ds;
    set_q_pattern(m, {100.0});
    m.Iflag = 1;
    m.ikind = 1;
    m.OI[1] = 100.0;
    run_ed(measured);
    ASSERT_EQ(m.Nobs, 2);
    EXPECT_EQ(m.OI[2], 1000.0);
    EXPECT_EQ(m.icode[2], 9);  // the new largest
    EXPECT_EQ(m.icode[1], 2);  // a tenth of the largest on the log scale
}

TEST(Editor, StripRefusesNoEffectAndEverythingAndDeletesOnlyWhenConfirmed)
{
    // Below every line; at the largest; 0 is refused; 25 declined; 25 confirmed.
    FakeSession f(replies({"S", "5", "S", "40", "S", "0", "", "S", "25", "N", "S", "25", "Y"}) +
                  finish_unsaved);
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 200.0, 300.0, 400.0});
    ds.Iflag = 1;
    ds.ikind = 1;
    const double oi[] = {0, 40.0, 10.0, 30.0, 20.0};
    for (int i = 1; i <= 4; ++i)
        ds.OI[i] = oi[i];
    run_ed(f);
    EXPECT_TRUE(shows(f, "Obs pattern contains 4 lines, with quantitative intensities between 10.000 and 40.000\n"));
    EXPECT_TRUE(shows(f, "** The proposed intensity threshold would thus have no effect **\n"));
    EXPECT_TRUE(shows(f, "** Applying this intensity threshold would thus delete all observed lines! **\n"));
    EXPECT_TRUE(shows(f, "** The threshold must be greater than 0 **\n"));
    EXPECT_TRUE(shows(f, "  2 lines will be deleted, leaving 2\n"));
    ASSERT_EQ(ds.Nobs, 2);
    EXPECT_DOUBLE_EQ(ds.OQ[1], 100.0);
    EXPECT_DOUBLE_EQ(ds.OQ[2], 300.0);
}

TEST(EditorQuit, WithoutAFileTheEditsStayUnderTheirName)
{
    testing_support::ScratchDir dir;
    FakeSession f(replies({"D", "1", "Q"}));
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 300.0});
    ds.Dset = "TYPED";
    ds.prev_name = "WORK";
    pattern::ED(f.s);
    EXPECT_TRUE(shows(f, "** Failed to open dataset"));
    EXPECT_EQ(ds.Nobs, 1);
    EXPECT_EQ(ds.Dset, "TYPED");
    EXPECT_EQ(ds.prev_name, "WORK");
    EXPECT_FALSE(f.s.files.own_file);
}
