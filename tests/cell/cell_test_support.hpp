// Helpers shared by the cell tests: cells and observed patterns built from
// first principles.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "cell/conversions.hpp"
#include "dataset/dataset.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace cell_testing {

using testing_support::count_of;
using testing_support::ScratchDir;
using testing_support::StringSink;

inline void load_direct_cell(dataset::Dataset& ds, double a, double b, double c, double alpha,
                             double beta, double gamma)
{
    ds.DD = {0, a, b, c, alpha, beta, gamma};
    ASSERT_TRUE(cell::cell_from_direct(ds));
    cell::compute_q2a(ds);
    ds.Ctype = 1;
    ds.cell_valid = 1;
}

// 2Theta in degrees of a line at q (QU.) for the wavelength factor K, by
// Bragg's law: sin(theta) = lambda / 2d = sqrt(K q). The degree factor is the
// system's own, so that rounding at the third decimal cannot differ.
inline double bragg_two_theta(double K, double q)
{
    return 2.0 * std::asin(std::sqrt(K * q)) * 57.29577951;
}

// An observed line with its stored 2Theta and the Q that goes with it.
inline void add_observed(dataset::Dataset& ds, double two_theta_stored)
{
    const int n = ++ds.Nobs;
    ds.OT[n] = two_theta_stored;
    const double theta = (two_theta_stored + ds.Z2Th) / 114.591559;
    ds.OQ[n] = std::sin(theta) * std::sin(theta) / ds.K;
}

} // namespace cell_testing
