// Observed patterns, files and a scratch directory for the indexing tests.
#pragma once

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "console/platform.hpp"
#include "dataset/dataset.hpp"
#include "dataset/model.hpp"
#include "support/fake_console.hpp"

namespace indexing_tests {

// n lines at 2Theta = 10, 12, 14, ... degrees (CuKa1), Q from the angle;
// intensity codes cycling 1..9 (kind 0), or measured intensities
// 1000 / line number (kind 1).
inline void fill_pattern(dataset::Dataset& ds, int n, int iflag = 1, int ikind = 0)
{
    ds.set_wavelength(1.5406);
    ds.Nobs = n;
    ds.Iflag = iflag;
    ds.ikind = ikind;
    for (int i = 1; i <= n; ++i) {
        ds.OT[i] = 8.0 + 2.0 * i;
        dataset::q_from_2theta(ds, ds.OT[i], ds.Z2Th, ds.OQ[i]);
        if (iflag == 0) {
            ds.OI[i] = 0;
            ds.icode[i] = 0;
        } else if (ikind == 0) {
            ds.icode[i] = 1 + (i - 1) % 9;
            ds.OI[i] = ds.icode[i];
        } else {
            ds.OI[i] = 1000.0 / i;
        }
    }
    if (iflag != 0 && ikind == 1)
        dataset::derive_intensity_codes(ds);
}

// Runs a test in a fresh directory of its own and removes it afterwards.
class ScratchDirectory {
public:
    ScratchDirectory()
    {
        old_ = std::filesystem::current_path();
        std::string templ = (std::filesystem::temp_directory_path() / "latticor-idx.XXXXXX").string();
        path_ = ::mkdtemp(templ.data());
        std::filesystem::current_path(path_);
    }
    ~ScratchDirectory()
    {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(path_);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path old_, path_;
};

inline void write_file(const std::string& name, const std::string& text)
{
    std::ofstream(name, std::ios::binary) << text;
}

inline std::string read_file(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Line `n` (from 1) of a file with CR LF line ends.
inline std::string file_line(const std::string& name, int n)
{
    std::string text = read_file(name);
    std::size_t start = 0;
    for (int i = 1; i < n; ++i)
        start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

inline bool exists(const std::string& name) { return std::filesystem::exists(name); }

// A command run in a scratch directory, on dataset ABC with `lines`
// observed lines (none: no pattern).
struct CommandTest : ::testing::Test {
    ScratchDirectory dir;
    std::unique_ptr<testing_support::FakeSession> f;

    control::Session& session(const std::string& replies, int lines = 0, int iflag = 1,
                              int ikind = 0)
    {
        f = std::make_unique<testing_support::FakeSession>(replies);
        f->s.dirs.startup = console::current_directory();
        f->s.ds.Dset = "ABC";
        if (lines > 0)
            fill_pattern(f->s.ds, lines, iflag, ikind);
        return f->s;
    }
    const std::string& screen() const { return f->screen(); }
    bool shown(const std::string& text) const { return contains(screen(), text); }
};

} // namespace indexing_tests
