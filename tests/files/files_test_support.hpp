// Helpers of the file tests: a scratch directory, removed with everything in
// it, and small text helpers for screens.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace files_test {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "latticor-files.XXXXXX").string();
        char* made = ::mkdtemp(tmpl.data());
        path_ = made != nullptr ? made : tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing "/", as the program keeps directories.
    std::string dir() const { return path_ + "/"; }

    void touch(const std::string& name, const std::string& text = "") const
    {
        std::filesystem::create_directories(std::filesystem::path(dir() + name).parent_path());
        std::ofstream(dir() + name) << text;
    }

private:
    std::string path_;
};

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

} // namespace files_test
