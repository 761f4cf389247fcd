// Replacing a file through a temporary: planted links, permission bits,
// writing through symbolic links, stale temporaries, and the reports of a
// save that cannot be completed (a directory, a file-size limit, a full disk).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/file_open.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;

// Replaces `path` with `text` the way a save does; true when it was committed.
bool replace(const std::string& path, const std::string& text, std::string* screen = nullptr)
{
    testing_support::FakeConsole fc;
    console::TextFile f;
    bool ok = console::open_write(fc.con, f, path, 'O');
    if (ok) {
        f.put(text);
        ok = console::close_write(fc.con, f);
    }
    if (screen != nullptr)
        *screen = fc.screen();
    return ok;
}

std::vector<std::string> names_in(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

unsigned permission_bits(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

void make_old(const std::string& path)
{
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
}

TEST(Replace, OnlyThroughANewTemporaryNeverThroughAPlantedLink)
{
    ScratchDir dir;
    write_file("victim", "keep me\n");
    // The name earlier versions used for the temporary of this process.
    fs::create_symlink("victim", "X.CDT.tmp" + std::to_string(::getpid()));
    testing_support::FakeConsole fc;
    console::TextFile f;
    ASSERT_TRUE(console::open_write(fc.con, f, "X.CDT", 'O'));
    f.put("new\r\n");
    const std::string temp = names_in(".").front();  // dot names sort first
    EXPECT_EQ(console::temporary_owner(temp), ::getpid()) << temp;
    EXPECT_EQ(temp.rfind(".X.CDT.latticor-", 0), 0u) << temp;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(temp)));
    ASSERT_TRUE(console::close_write(fc.con, f));
    EXPECT_EQ(read_file("victim"), "keep me\n");
    EXPECT_EQ(read_file("X.CDT"), "new\r\n");
    EXPECT_EQ(names_in(".").size(), 3u);  // no temporary left
}

TEST(Replace, KeepsThePermissionBitsOfTheOldFile)
{
    ScratchDir dir;
    for (unsigned mode : {0600u, 0640u, 0444u}) {
        write_file("P.CDT", "old");
        ::chmod("P.CDT", mode);
        ASSERT_TRUE(replace("P.CDT", "new"));
        EXPECT_EQ(permission_bits("P.CDT"), mode) << std::oct << mode;
        EXPECT_EQ(read_file("P.CDT"), "new");
        ::chmod("P.CDT", 0600);
    }
    // A new file takes the usual bits under the umask.
    mode_t mask = ::umask(022);
    ASSERT_TRUE(replace("NEW.CDT", "new"));
    ::umask(mask);
    EXPECT_EQ(permission_bits("NEW.CDT"), 0644u);
}

TEST(Replace, WritesThroughASymbolicLink)
{
    ScratchDir dir;
    fs::create_directory("store");
    write_file("store/REAL.CDT", "old");
    ::chmod("store/REAL.CDT", 0600);
    fs::create_symlink("store/REAL.CDT", "X.CDT");
    fs::create_symlink("X.CDT", "Y.CDT");  // a chain of links
    ASSERT_TRUE(replace("Y.CDT", "new"));
    EXPECT_TRUE(fs::is_symlink("X.CDT"));
    EXPECT_TRUE(fs::is_symlink("Y.CDT"));
    EXPECT_EQ(read_file("store/REAL.CDT"), "new");
    EXPECT_EQ(permission_bits("store/REAL.CDT"), 0600u);
    EXPECT_EQ(names_in("store"), std::vector<std::string>{"REAL.CDT"});
    // A link to a file not there yet creates that file.
    fs::create_symlink("store/LATER.CDT", "Z.CDT");
    ASSERT_TRUE(replace("Z.CDT", "later"));
    EXPECT_TRUE(fs::is_symlink("Z.CDT"));
    EXPECT_EQ(read_file("store/LATER.CDT"), "later");
}

TEST(StaleTemporaries, OnlyOursFromRunsThatAreGoneAreRemoved)
{
    ScratchDir dir;
    const std::string mine = std::to_string(::getpid());
    const std::string stale = ".X.CDT.latticor-" + mine + "-abc123";   // this pid, before this run
    const std::string fresh = ".X.CDT.latticor-" + mine + "-fresh1";   // written by this run
    const std::string alive = ".X.CDT.latticor-1-abc123";              // its process still runs
    const std::string other = ".X.CDT.latticor-" + mine + "-ABC123";   // not a name of ours
    for (const std::string& n : {stale, fresh, alive, other})
        write_file(n, "x");
    for (const std::string& n : {stale, alive, other})
        make_old(n);
    fs::create_symlink("elsewhere", ".Y.CDT.latticor-" + mine + "-zzzzzz");
    ASSERT_TRUE(replace("X.CDT", "new"));
    std::vector<std::string> left = names_in(".");
    EXPECT_EQ(std::count(left.begin(), left.end(), stale), 0);
    for (const std::string& n : {fresh, alive, other, ".Y.CDT.latticor-" + mine + "-zzzzzz"})
        EXPECT_EQ(std::count(left.begin(), left.end(), n), 1) << n;
}

TEST(StaleTemporaries, NamesOfOurs)
{
    EXPECT_EQ(console::temporary_owner(console::temporary_name("_RELOAD.CDT", 4321, "a1b2c3")), 4321);
    for (const char* bad : {"X.CDT.latticor-12-abcdef", ".X.CDT.latticor-12-abcde", ".X.CDT.latticor-1x-abcdef",
                            ".X.CDT.latticor-0-abcdef", ".X.CDT.latticor-12345678901-abcdef"})
        EXPECT_EQ(console::temporary_owner(bad), -1) << bad;
}

TEST(ReplaceFails, ADirectoryIsRefusedWithItsReason)
{
    ScratchDir dir;
    fs::create_directory("D.CDT");
    std::string screen;
    EXPECT_FALSE(replace("D.CDT", "x", &screen));
    EXPECT_EQ(screen, "** OpenWrFile failed to open file \"D.CDT\" with errorcode 21 **\n"
                      "** Unexpected wrcode **\n"
                      "   (Is a directory)\n");
    EXPECT_EQ(names_in("."), std::vector<std::string>{"D.CDT"});
}

// A file-size limit for the length of one test; SIGXFSZ ignored as the
// program ignores it, so that a write past the limit fails with EFBIG.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit saved_{};
    void (*old_handler_)(int) = nullptr;
};

TEST(ReplaceFails, PastAFileSizeLimitSaysWhyAndWhatIsLeft)
{
    ScratchDir dir;
    write_file("OLD.CDT", "precious");
    const std::string big(20000, 'x');
    std::string on_old, on_new;
    {
        FileSizeLimit limit(8192);
        EXPECT_FALSE(replace("OLD.CDT", big, &on_old));
        EXPECT_FALSE(replace("NEW.CDT", big, &on_new));
    }
    // The failed write itself is its writer's to report.
    EXPECT_EQ(on_old, "** \"OLD.CDT\" was not completed (File too large): "
                      "an existing file of that name is left unchanged **\n");
    EXPECT_EQ(on_new, "** \"NEW.CDT\" was not completed (File too large): "
                      "no file of that name was written **\n");
    EXPECT_EQ(read_file("OLD.CDT"), "precious");
    EXPECT_EQ(names_in("."), std::vector<std::string>{"OLD.CDT"});
}

TEST(ReplaceFails, ADeviceIsWrittenToDirectly)
{
    ScratchDir dir;
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    fs::create_symlink("/dev/full", "FULL.CDT");
    std::string screen;
    EXPECT_FALSE(replace("FULL.CDT", "x", &screen));
    EXPECT_NE(screen.find("** \"FULL.CDT\" was not completed (No space left on device) **\n"), std::string::npos)
        << screen;
    EXPECT_TRUE(fs::is_symlink("FULL.CDT"));
}

} // namespace
