// What the fuzz targets share: a scratch directory for the files they read
// and write, and a loud stop when an invariant breaks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

#include "console/console.hpp"
#include "support/scratch.hpp"

namespace fuzzing {

// A broken invariant: the fuzzer records the input as a crash.
[[noreturn]] inline void fail(const char* what, const std::string& detail = "")
{
    std::fprintf(stderr, "** invariant broken: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// One directory for the whole fuzzing process, removed when it ends; in
// memory where the system offers it, since every run writes files.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern =
            std::string(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") +
            "/latticor-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            fail("cannot make a scratch directory", pattern);
        path_ = pattern + "/";
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline const std::string& scratch_dir()
{
    static const ScratchDir dir;
    return dir.path();
}

// Writes the fuzzer's bytes to `name` in the scratch directory; its path.
inline std::string input_file(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::string path = scratch_dir() + name;
    testing_support::write_file(path, std::string(reinterpret_cast<const char*>(data), size));
    return path;
}

// Replies given afresh before each run, so that one console and one session
// (a dataset is large) serve every run of a target. Output is dropped.
class ReplyBackend : public console::Backend {
public:
    void replies(std::string text)
    {
        input_ = std::move(text);
        pos_ = 0;
    }
    bool output_is_terminal() const override { return false; }
    bool input_is_terminal() const override { return false; }
    void write(std::string_view) override {}
    void flush() override {}
    int read_byte(int) override
    {
        return pos_ < input_.size() ? static_cast<unsigned char>(input_[pos_++]) : eof;
    }
    void raw_mode(bool) override {}
    void discard_input() override {}

private:
    std::string input_;
    std::size_t pos_ = 0;
};

} // namespace fuzzing
