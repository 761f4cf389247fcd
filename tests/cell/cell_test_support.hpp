// Helpers shared by the cell tests: a captured text sink, a scratch working
// directory, and cells and observed patterns built from first principles.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "cell/conversions.hpp"
#include "console/sink.hpp"
#include "dataset/dataset.hpp"

namespace cell_testing {

struct StringSink : console::Sink {
    void put(std::string_view t) override { text.append(t); }
    void endl() override { text.append("\n"); }
    std::string text;
};

// Runs the test inside a fresh directory, so copy and log files land there.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        char buf[4096];
        if (getcwd(buf, sizeof buf) != nullptr)
            previous_ = buf;
        path_ = testing::TempDir() + "cell_scratch_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::system(("rm -rf '" + path_ + "' && mkdir -p '" + path_ + "'").c_str());
        if (chdir(path_.c_str()) != 0)
            ADD_FAILURE() << "cannot enter " << path_;
    }
    ~ScratchDirectory()
    {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << previous_;
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string read(const std::string& name) const
    {
        std::ifstream in(path_ + "/" + name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

private:
    std::string previous_;
    std::string path_;
};

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

inline int count_of(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

} // namespace cell_testing
