// A scratch directory for tests that write files, removed with everything in
// it, and the small text helpers the tests share.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>

namespace testing_support {

// A fresh directory under `base` (/tmp unless given). By default the test
// works inside it (copy, log and dataset files land there) and returns to
// where it was afterwards.
class ScratchDir {
public:
    explicit ScratchDir(bool enter = true, const std::string& base = "/tmp")
    {
        std::string pattern = base + "/latticor-test-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : base;
        if (enter) {
            old_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~ScratchDir()
    {
        if (!old_.empty())
            std::filesystem::current_path(old_);
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // The directory with a trailing "/", as the program keeps directories.
    std::string dir() const { return path_ + "/"; }

    // A file inside, its directories made as needed.
    void touch(const std::string& name, const std::string& text = "") const
    {
        std::filesystem::create_directories(std::filesystem::path(dir() + name).parent_path());
        std::ofstream(dir() + name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const;

private:
    std::string path_;
    std::filesystem::path old_;
};

inline void write_file(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ScratchDir::read(const std::string& name) const { return read_file(dir() + name); }

// The number of times `what` occurs in `text`.
inline int count_of(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace testing_support
