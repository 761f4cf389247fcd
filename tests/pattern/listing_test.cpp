// The pattern revision and the LI listing.
#include <filesystem>

#include <gtest/gtest.h>

#include "pattern/commands.hpp"
#include "pattern_helpers.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

using pattern_testing::after;
using pattern_testing::bragg_q;
using pattern_testing::set_q_pattern;
using pattern_testing::set_two_theta_pattern;
using testing_support::FakeSession;

using testing_support::count_of;

TEST(PatternRevision, DerivesMissingAnglesAndRecomputesQFromAngles)
{
    FakeSession f;
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = 0.1;
    ds.Nobs = 3;
    ds.OQ[1] = 100.0; ds.OT[1] = 0.0;    // typed as Q
    ds.OQ[2] = 1.0;   ds.OT[2] = 20.0;   // stale Q, the angle rules
    ds.OQ[3] = 20000.0; ds.OT[3] = 0.0;  // beyond the wavelength limit (K*Q > 1)
    pattern::revise_pattern(f.s);

    // The stored angle is the true angle less the zero correction.
    EXPECT_NEAR(bragg_q(ds.OT[1] + 0.1, ds.W0), 100.0, 1e-6);
    EXPECT_NEAR(ds.OQ[1], 100.0, 0.0);
    EXPECT_NEAR(ds.OQ[2], bragg_q(20.1, ds.W0), 1e-6);
    EXPECT_EQ(ds.OT[2], 20.0);
    EXPECT_EQ(ds.OT[3], 0.0);
    EXPECT_EQ(ds.OQ[3], 20000.0);
}

TEST(PatternListing, ZeroCorrectionLineKeepsTheSignColumn)
{
    FakeSession f;
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Z2Th = -0.02;
    set_two_theta_pattern(ds, {20.0});
    pattern::LI(f.s);
    EXPECT_NE(f.screen().find("Zero correction of -0.020000 degrees 2Theta added\n"),
              std::string::npos);
    // The corrected angle is listed.
    EXPECT_NE(f.screen().find("  1   19.9800"), std::string::npos);

    FakeSession g;
    g.s.con.output_code = 0;
    g.s.ds.Z2Th = 0.1;
    set_two_theta_pattern(g.s.ds, {20.0});
    pattern::LI(g.s);
    EXPECT_NE(g.screen().find("Zero correction of 0.100000 degrees 2Theta added\n"),
              std::string::npos);
}

TEST(PatternListing, SuppressedCopiesAreNamedInTheHeading)
{
    for (auto [code, note] : {std::pair{1, "(with printer output suppressed)"},
                              std::pair{2, "(with file output suppressed)"},
                              std::pair{3, "(with printer and file output suppressed)"}}) {
        FakeSession f;
        f.s.con.output_code = code;
        set_q_pattern(f.s.ds, {100.0});
        pattern::list_pattern(f.s, true, true);
        EXPECT_NE(f.screen().find(std::string("List Observed Pattern ") + note + "\n\n"),
                  std::string::npos)
            << "output code " << code;
    }
}

TEST(PatternListing, ThresholdSelectsLinesAboveOrAtMost)
{
    FakeSession f;
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    set_q_pattern(ds, {100.0, 400.0, 625.0});
    ds.Iflag = 1;
    ds.OI[1] = 5; ds.OI[2] = 2; ds.OI[3] = 3;
    pattern::list_pattern(f.s, true, false, 3.0, false);
    EXPECT_EQ(f.screen().find("List Observed"), std::string::npos);
    EXPECT_EQ(f.screen().find("  1 "), std::string::npos);
    EXPECT_NE(f.screen().find("  2 "), std::string::npos);
    EXPECT_NE(f.screen().find("  3 "), std::string::npos);

    f.clear_screen_text();
    pattern::list_pattern(f.s, true, false, 3.0, true);
    EXPECT_NE(f.screen().find("  1 "), std::string::npos);
    EXPECT_EQ(f.screen().find("  2 "), std::string::npos);
    EXPECT_EQ(f.screen().find("  3 "), std::string::npos);
}

TEST(PatternListing, PagesAfterFifteenLinesAndFinishRunsToTheEnd)
{
    const char* pause =
        "Type ENTER to continue or F (and ENTER) to Finish without further pauses: ";
    FakeSession f("F\n");
    f.s.con.output_code = 0;
    dataset::Dataset& ds = f.s.ds;
    ds.Nobs = 60;
    for (int i = 1; i <= 60; ++i)
        ds.OQ[i] = 10.0 * i;
    pattern::LI(f.s);
    EXPECT_EQ(count_of(f.screen(), pause), 1);
    // The pause comes after the 15th line: 7 heading lines count first.
    std::string before = f.screen().substr(0, f.screen().find(pause));
    EXPECT_NE(before.find("\n 15 "), std::string::npos);
    EXPECT_EQ(before.find("\n 16 "), std::string::npos);
    EXPECT_NE(after(f.screen(), pause).find("\n 60 "), std::string::npos);
    // The listing restores the pause state it found.
    EXPECT_EQ(f.s.con.pause_flag, 1);

    FakeSession g("\n\n");
    g.s.con.output_code = 0;
    g.s.ds.Nobs = 40;
    for (int i = 1; i <= 40; ++i)
        g.s.ds.OQ[i] = 10.0 * i;
    pattern::LI(g.s);
    EXPECT_EQ(count_of(g.screen(), pause), 2);
}

// Runs in a fresh temporary directory, where the copy file "<Dset>.LXO" goes.
class CopyListing : public ::testing::Test {
protected:
    static std::string read(const std::string& name) { return testing_support::read_file(name); }
    testing_support::ScratchDir dir_;
};

TEST_F(CopyListing, CopyCarriesTheDatasetIdentificationAndEndsWithAFormFeed)
{
    FakeSession f;
    f.s.con.output_code = 2;
    f.s.ds.Dset = "ABC";
    f.s.ds.Title = "Test pattern";
    set_q_pattern(f.s.ds, {100.0});
    pattern::LI(f.s);
    f.s.out.copy.close();
    const std::string copy = read("ABC.LXO");
    const std::string head = "List Observed Pattern for dataset ABC on ";
    ASSERT_EQ(copy.compare(0, head.size(), head), 0) << copy;
    EXPECT_NE(copy.find(" (v" + f.s.version.header_version + ")\r\n\r\nABC = Test pattern\r\n\r\n"
                        "Wavelength = 1.540600 Angstroms\r\n"),
              std::string::npos);
    EXPECT_NE(copy.find("  1    8.8357   100.00000   10.000000\r\n\f\r\n"), std::string::npos);
    // The screen has neither the identification nor the form feed.
    EXPECT_EQ(f.screen().find("for dataset"), std::string::npos);
    EXPECT_EQ(f.screen().find('\f'), std::string::npos);
}

TEST_F(CopyListing, DefaultTitleStandsAloneAndSuppressedCopiesWriteNothing)
{
    FakeSession f;
    f.s.con.output_code = 2;
    set_q_pattern(f.s.ds, {100.0});
    pattern::list_pattern(f.s, true, true);
    EXPECT_FALSE(std::filesystem::exists("WORK.LXO"));

    pattern::LI(f.s);
    f.s.out.copy.close();
    EXPECT_NE(read("WORK.LXO").find(")\r\n\r\n(No title provided yet)\r\n\r\n"), std::string::npos);
}
