// Observed patterns for the pattern-command tests.
#pragma once

#include <cmath>
#include <initializer_list>
#include <string>

#include "dataset/dataset.hpp"

namespace pattern_testing {

// Q of a true 2Theta by Bragg's law, independent of the dataset routines.
inline double bragg_q(double two_theta, double wavelength)
{
    const double pi = 3.14159265358979323846;
    double d = wavelength / (2.0 * std::sin(two_theta * pi / 360.0));
    return 10000.0 / (d * d);
}

// Lines given as stored 2Theta values, with their Q at the dataset's
// wavelength and zero correction.
inline void set_two_theta_pattern(dataset::Dataset& ds, std::initializer_list<double> angles)
{
    ds.Nobs = 0;
    for (double t : angles) {
        ++ds.Nobs;
        ds.OT[ds.Nobs] = t;
        ds.OQ[ds.Nobs] = bragg_q(t + ds.Z2Th, ds.W0);
    }
    ds.Dflag = 1;
}

// Lines given as Q only, without 2Theta.
inline void set_q_pattern(dataset::Dataset& ds, std::initializer_list<double> qs)
{
    ds.Nobs = 0;
    for (double q : qs) {
        ++ds.Nobs;
        ds.OQ[ds.Nobs] = q;
        ds.OT[ds.Nobs] = 0.0;
    }
    ds.Dflag = 0;
}

inline std::string replies(std::initializer_list<const char*> lines)
{
    std::string r;
    for (const char* l : lines) {
        r += l;
        r += '\n';
    }
    return r;
}

// The screen text after the first occurrence of `marker`, or empty.
inline std::string after(const std::string& screen, const std::string& marker)
{
    std::size_t p = screen.find(marker);
    return p == std::string::npos ? std::string() : screen.substr(p + marker.size());
}

} // namespace pattern_testing
