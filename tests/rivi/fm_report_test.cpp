// The FM report on small patterns: its figures against hand-worked values,
// the lines it is based on, and the refusal without a calculated pattern.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "console/format.hpp"
#include "rivi/fm_report.hpp"
#include "support/fake_console.hpp"

namespace {

struct Report : testing::Test {
    testing_support::FakeSession fs;
    control::Session& s = fs.s;
    void SetUp() override
    {
        s.ds.Nobs = 2;
        s.ds.OQ[1] = 100.5;
        s.ds.OQ[2] = 200.5;
        s.maps.fom.Pmin = 0.001;
        s.maps.fom.Nobsused = 7;  // out of range: all lines are taken
    }
    bool shows(const std::string& text) const { return fs.screen().find(text) != std::string::npos; }
};

TEST_F(Report, FiguresOfTheStoredPatternAgainstAllLines)
{
    // Entries 100, 200 and 300: both lines miss by 0.5 QU. (the entry below
    // is nearer); each zone holds one entry.
    s.ds.Ncalc = 3;
    s.ds.CQ[1] = 100.0;
    s.ds.CQ[2] = 200.0;
    s.ds.CQ[3] = 300.0;
    rivi::fm_report(s);
    // Zones (50.25, 150.5) and (150.5, 225.5): half-widths 50.125 and 37.5.
    const double p1 = 0.5 / 50.125, p2 = 0.5 / 37.5;
    const double P1 = 1.0 - 0.9999 * std::exp(-14.0 * p1 * p1);
    const double P2 = 1.0 - 0.9999 * std::exp(-14.0 * p2 * p2);
    const double ir = (1.0 - P1) + (1.0 - P2);
    const double pr = 0.5 / std::sqrt(P1 * P2) / 3.0;
    const double m1 = 2 * (300.0 / 6.0) / 1.0;  // the entry above line 2 is the third
    EXPECT_TRUE(shows("\nCalculate all 3 FM (Ir, Pr, M1) using current obslist and calclist\n\n"
                      "  2 observed lines\n  3 calculated lines\n"))
        << fs.screen();
    EXPECT_TRUE(shows("  Ir = " + console::real_text(ir, 7, 3) + "\n"));
    EXPECT_TRUE(shows("  Pr = " + console::real_text(pr, 7, 3) + "\n"));
    EXPECT_TRUE(shows("  M1 = " + console::real_text(m1, 7, 3) + "\n"));
    EXPECT_FALSE(shows("Based on only"));
    // Pmin is restored; the lines in use, the zones and Qmax follow the pattern.
    EXPECT_EQ(s.maps.fom.Pmin, 0.001);
    EXPECT_TRUE(s.maps.fom.check);
    EXPECT_EQ(s.maps.fom.Nobsused, 2);
    EXPECT_DOUBLE_EQ(s.maps.fom.Qmax, 250.5);
}

TEST_F(Report, APatternEndingBelowTheLastLineSaysHowFewWereCompared)
{
    s.ds.Ncalc = 2;
    s.ds.CQ[1] = 100.0;
    s.ds.CQ[2] = 150.0;
    rivi::fm_report(s);
    EXPECT_TRUE(shows("  M1 = " + console::real_text(1 * (150.0 / 4.0) / 0.5, 7, 3)));
    EXPECT_TRUE(shows("\n\n** Based on only 1 out of the 2 observed lines\n")) << fs.screen();
}

TEST_F(Report, AnEmptyCalculatedPatternGivesNoValues)
{
    rivi::fm_report(s);
    EXPECT_TRUE(shows("  0 calculated lines\n\n** No calculated pattern present **\n\n"
                      "This function requires both observed and calculated patterns to be present\n"))
        << fs.screen();
    EXPECT_FALSE(shows("observed pattern present"));
    EXPECT_FALSE(shows(" = "));
    EXPECT_EQ(s.maps.fom.Pmin, 0.001);
}

} // namespace
