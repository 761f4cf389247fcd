// ZT: the transformed powder constants index the same hk0 zone lines, and the
// command keeps the cell block consistent.
#include <gtest/gtest.h>

#include <cmath>

#include "pattern/commands.hpp"
#include "pattern/pattern_helpers.hpp"
#include "pattern/round_trip.hpp"
#include "pattern/zones.hpp"
#include "support/fake_console.hpp"

using dataset::CellRow;
using pattern::transform_zone;
using pattern_testing::replies;
using testing_support::FakeSession;

namespace {

double q_of(const CellRow& q, int h, int k, int l)
{
    return h * h * q[1] + k * k * q[2] + l * l * q[3] + k * l * q[4] + h * l * q[5] + h * k * q[6];
}

const CellRow oblique{0, 100.0, 64.0, 50.0, 4.0, 6.0, 10.0};

} // namespace

TEST(ZoneTransformations, HandComputedConstants)
{
    EXPECT_EQ(transform_zone(oblique, 'A'), (CellRow{0, 25.0, 64.0, 50.0, 4.0, 3.0, 5.0}));
    EXPECT_EQ(transform_zone(oblique, 'B'), (CellRow{0, 100.0, 16.0, 50.0, 2.0, 6.0, 5.0}));
    EXPECT_EQ(transform_zone(oblique, 'C'), (CellRow{0, 43.5, 38.5, 50.0, 0.0, 0.0, -18.0}));
    EXPECT_EQ(transform_zone(oblique, 'D'), (CellRow{0, 25.0, 16.0, 50.0, 2.0, 3.0, 2.5}));
    EXPECT_EQ(transform_zone(oblique, 'X'), oblique);

    EXPECT_EQ(transform_zone(transform_zone(oblique, 'A'), 'A'),
              (CellRow{0, 6.25, 64.0, 50.0, 4.0, 1.5, 2.5}));
    EXPECT_EQ(transform_zone(CellRow{0, 80.0, 80.0, 50.0, 0.0, 0.0, 12.0}, 'C')[6], 0.0);
}

TEST(ZoneTransformations, NewCellIndexesEveryOldLineOfTheZone)
{
    const CellRow a = transform_zone(oblique, 'A'), b = transform_zone(oblique, 'B'),
                  c = transform_zone(oblique, 'C'), d = transform_zone(oblique, 'D');
    for (int h = -3; h <= 3; ++h)
        for (int k = -3; k <= 3; ++k) {
            for (int l = -2; l <= 2; ++l) {
                const double old = q_of(oblique, h, k, l);
                EXPECT_DOUBLE_EQ(q_of(a, 2 * h, k, l), old);
                EXPECT_DOUBLE_EQ(q_of(b, h, 2 * k, l), old);
                EXPECT_DOUBLE_EQ(q_of(d, 2 * h, 2 * k, l), old);
            }
            // Centring: old a* = a*' - b*', old b* = a*' + b*', in the hk0 zone only.
            EXPECT_DOUBLE_EQ(q_of(c, h + k, k - h, 0), q_of(oblique, h, k, 0));
        }
}

TEST(ZoneTransformations, CommandRederivesTheCellOrSaysItIsInvalid)
{
    FakeSession f(replies({"D"}));
    dataset::Dataset& ds = f.s.ds;
    ds.Ctype = 1;
    ds.QQ = CellRow{0, 100.0, 64.0, 50.0, 0.0, 0.0, 0.0};  // orthorhombic 10 x 12.5 x 14.142
    pattern::ZT(f.s);
    EXPECT_EQ(ds.Ctype, 2);
    EXPECT_EQ(ds.cell_valid, 1);
    EXPECT_NEAR(ds.DD[1], 20.0, 1e-9);
    EXPECT_NEAR(ds.DD[2], 25.0, 1e-9);
    EXPECT_NE(f.screen().find("Transformation complete - valid cell\n\n"), std::string::npos);

    FakeSession g(replies({"a"}));
    g.s.ds.Ctype = 3;
    g.s.ds.cell_valid = 1;
    g.s.ds.QQ = CellRow{0, 100.0, 64.0, 50.0, 200.0, 0.0, 0.0};  // cos alpha* > 1
    pattern::ZT(g.s);
    EXPECT_EQ(g.s.ds.Ctype, 2);
    EXPECT_EQ(g.s.ds.cell_valid, 0);
    EXPECT_NE(g.screen().find("Powder constants transformed, but don't give a valid cell\n"),
              std::string::npos);
}

TEST(ZoneTransformations, ASideDoubledPastTheLongestIsRefused)
{
    // a = 600 A doubled is 1200 A, beyond what a dataset file holds.
    FakeSession f(replies({"A"}));
    dataset::Dataset& ds = f.s.ds;
    ds.Ctype = 2;
    ds.QQ = CellRow{0, 10000.0 / (600.0 * 600.0), 64.0, 50.0, 0.0, 0.0, 0.0};
    ds.DD = CellRow{0, 600.0, 12.5, 10000.0 / std::sqrt(50.0) / 100.0, 90.0, 90.0, 90.0};
    ds.cell_valid = 1;
    const CellRow before = ds.QQ;
    pattern::ZT(f.s);
    EXPECT_NE(f.screen().find("** Transformation refused: a would become 1200.0000 A, outside 0.5 to "
                              "1000 A **\n"),
              std::string::npos)
        << f.screen();
    EXPECT_EQ(ds.QQ, before);
    EXPECT_EQ(ds.DD[1], 600.0);
    EXPECT_TRUE(testing_support::save_and_reload(f).ok);
}
