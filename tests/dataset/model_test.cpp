// The working-dataset operations: ordering by Q, the Q / 2Theta conversions,
// intensity codes and the absences flag.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "dataset/model.hpp"
#include "support/fake_console.hpp"

namespace {

std::unique_ptr<dataset::Dataset> with_q(std::initializer_list<double> qs)
{
    auto ds = std::make_unique<dataset::Dataset>();
    int i = 0;
    for (double q : qs) {
        ++i;
        ds->OQ[i] = q;
        ds->OH[i] = i;  // the original position travels with the line
        ds->OT[i] = 10.0 * i;
        ds->OI[i] = i;
        ds->icode[i] = -i;
    }
    ds->Nobs = i;
    return ds;
}

TEST(OrderByQ, SortsAndMovesWholeLines)
{
    auto ds = with_q({500, 100, 900, 300, 700, 200, 800, 50, 400, 600, 1000});
    ds->included[2] = false;
    ASSERT_TRUE(dataset::out_of_order(*ds));
    dataset::order_by_q(*ds);
    EXPECT_FALSE(dataset::out_of_order(*ds));
    for (int i = 1; i <= ds->Nobs; ++i) {
        int from = ds->OH[i];
        EXPECT_EQ(ds->OT[i], 10.0 * from);
        EXPECT_EQ(ds->OI[i], from);
        EXPECT_EQ(ds->icode[i], -from);
    }
    EXPECT_EQ(ds->OQ[1], 50);
    EXPECT_EQ(ds->OQ[11], 1000);
    // The include flags belong to positions, not to lines.
    EXPECT_FALSE(ds->included[2]);
    EXPECT_TRUE(ds->included[1]);
}

TEST(OrderByQ, SmallAndEqualPatterns)
{
    auto none = with_q({});
    dataset::order_by_q(*none);
    EXPECT_EQ(none->Nobs, 0);
    auto one = with_q({7});
    dataset::order_by_q(*one);
    EXPECT_EQ(one->OQ[1], 7);
    auto equal = with_q({300, 300});
    dataset::order_by_q(*equal);
    EXPECT_EQ(equal->OH[1], 1);
    EXPECT_EQ(equal->OH[2], 2);
    // Equal Q beside a line that has to move.
    auto mixed = with_q({300, 300, 100});
    dataset::order_by_q(*mixed);
    EXPECT_EQ(mixed->OQ[1], 100);
    EXPECT_EQ(mixed->OQ[2], 300);
    EXPECT_EQ(mixed->OQ[3], 300);
}

TEST(OrderByQ, AnnouncesWhenAsked)
{
    testing_support::FakeSession fs;
    auto ds = with_q({2, 1});
    dataset::order_by_q(fs.con, *ds, true);
    EXPECT_EQ(fs.screen(), "Observed pattern needed sorting into ascending order of Q\n");
    EXPECT_EQ(ds->OQ[1], 1);
}

TEST(Conversions, QAndTwoThetaLimits)
{
    dataset::Dataset ds;
    double q = -1;
    EXPECT_FALSE(dataset::q_from_2theta(ds, 0.0, 0.0, q));
    EXPECT_FALSE(dataset::q_from_2theta(ds, 180.0, 0.0, q));
    EXPECT_FALSE(dataset::q_from_2theta(ds, 179.9, 0.1, q));  // the zero correction counts
    EXPECT_EQ(q, -1);
    ASSERT_TRUE(dataset::q_from_2theta(ds, 28.44, -0.02, q));
    // Bragg's law: d = lambda / (2 sin theta), Q = 10000 / d^2.
    double d = 1.5406 / (2 * std::sin(28.42 / 2 * M_PI / 180));
    EXPECT_NEAR(q, 10000 / (d * d), 1e-6);

    double t = 0;
    ASSERT_TRUE(dataset::two_theta_from_q(ds, q, -0.02, t));
    EXPECT_NEAR(t, 28.44, 1e-7);
    // K * Q >= 1 lies beyond the wavelength limit.
    double limit = 1.0 / ds.K;
    EXPECT_FALSE(dataset::two_theta_from_q(ds, limit, 0.0, t));
    EXPECT_FALSE(dataset::two_theta_from_q(ds, limit * 1.5, 0.0, t));
    EXPECT_TRUE(dataset::two_theta_from_q(ds, limit * 0.999, 0.0, t));
    dataset::Dataset no_wavelength;
    no_wavelength.set_wavelength(0.0);
    EXPECT_FALSE(dataset::q_from_2theta(no_wavelength, 30, 0, q));
    EXPECT_FALSE(dataset::two_theta_from_q(no_wavelength, 100, 0, t));
    EXPECT_EQ(dataset::q_from_d(0.0), 0.0);
    EXPECT_DOUBLE_EQ(dataset::q_from_d(2.0), 2500.0);
}

TEST(IntensityCodes, LogarithmicScale)
{
    auto ds = with_q({1, 2, 3, 4});
    ds->OI[1] = 100;
    ds->OI[2] = 60;
    ds->OI[3] = 10;
    ds->OI[4] = -40;
    dataset::derive_intensity_codes(*ds);
    EXPECT_EQ(ds->icode[1], 9);
    EXPECT_EQ(ds->icode[2], 7);  // within a factor of 20: the scale starts at 5
    EXPECT_EQ(ds->icode[3], 2);
    EXPECT_EQ(ds->icode[4], -6);
    EXPECT_EQ(dataset::intensity_code_text(ds->icode[4]), " ms?");
    EXPECT_EQ(ds->Imax, 100);

    auto wide = with_q({1, 2, 3});
    wide->OI[1] = 10000;
    wide->OI[2] = 1;
    wide->OI[3] = 0;
    dataset::derive_intensity_codes(*wide);
    EXPECT_EQ(wide->icode[1], 9);
    EXPECT_EQ(wide->icode[2], 1);
    EXPECT_EQ(wide->icode[3], 0);

    auto same = with_q({1, 2, 3});
    same->OI[1] = 7.5;
    same->OI[2] = -7.5;
    same->OI[3] = 7.5;
    dataset::derive_intensity_codes(*same);
    EXPECT_EQ(same->icode[1], 5);
    EXPECT_EQ(same->icode[2], -5);

    auto zero = with_q({1, 2});
    zero->OI[1] = zero->OI[2] = 0;
    dataset::derive_intensity_codes(*zero);
    EXPECT_EQ(zero->icode[1], 0);
    EXPECT_EQ(zero->icode[2], 0);
}

TEST(Absences, Parse)
{
    testing_support::FakeSession fs;
    const std::pair<const char*, int> good[] = {{"P", 1}, {"A", 2}, {"B", 3}, {"C", 4},
                                                {"I", 5}, {"F", 6}, {"R1", 7}, {"R2", 8}, {"R", 8}};
    for (auto [text, code] : good) {
        int c = 0;
        EXPECT_TRUE(dataset::parse_absences(fs.con, text, c)) << text;
        EXPECT_EQ(c, code) << text;
    }
    EXPECT_EQ(fs.screen(), "");
    for (const char* bad : {"p", "", "R3", "X", "PA"}) {
        int c = 42;
        EXPECT_FALSE(dataset::parse_absences(fs.con, bad, c)) << bad;
        EXPECT_EQ(c, 42);
    }
    EXPECT_EQ(fs.screen().substr(0, 36), "  ** Undefined absences flag (p) **\n");
    EXPECT_NE(fs.screen().find("  ** Undefined absences flag () **\n"), std::string::npos);
}

} // namespace
