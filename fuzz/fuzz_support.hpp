// What the fuzz targets share: a scratch directory for the files they read
// and write, and a loud stop when an invariant breaks. Their consoles are
// the tests' string consoles, given a new script before each run so that
// one console and one session (a dataset is large) serve every run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/fake_console.hpp"
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
inline const std::string& scratch_dir()
{
    static const testing_support::ScratchDir dir(
        false, std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
    static const std::string path = dir.dir();
    return path;
}

// Writes the fuzzer's bytes to `name` in the scratch directory; its path.
inline std::string input_file(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    std::string path = scratch_dir() + name;
    testing_support::write_file(path, std::string(reinterpret_cast<const char*>(data), size));
    return path;
}

} // namespace fuzzing
