// The real terminal backend on a pseudo-terminal: a key read in raw mode, and
// the terminal left as it was found after a key, a signal and exit().
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "console/console.hpp"

namespace {

bool canonical(int fd)
{
    termios t{};
    return tcgetattr(fd, &t) == 0 && (t.c_lflag & ICANON) && (t.c_lflag & ECHO) &&
           (t.c_iflag & ICRNL);
}

// Runs in the child, on the pseudo-terminal; the exit code names the step
// that failed.
[[noreturn]] void child(const char* slave_name)
{
    ::alarm(10);  // never hang the test run
    int fd = ::open(slave_name, O_RDWR);
    if (fd < 0 || ::dup2(fd, 0) < 0 || ::dup2(fd, 1) < 0)
        ::_exit(20);
    console::PosixBackend backend;
    console::Console con(backend);
    if (con.redirected() || con.input_redirected())
        ::_exit(21);
    con.put("ready");
    con.flush();
    int k1 = con.read_key();
    int k2 = con.read_key();
    if (k1 != 0 || k2 != 75)
        ::_exit(22);
    if (!canonical(0))
        ::_exit(23);
    // A terminating signal ends the next read, and the mode is back.
    console::install_signal_handlers();
    ::raise(SIGTERM);
    try {
        con.read_key();
        ::_exit(24);
    } catch (const console::InputEnded& e) {
        if (e.signal != SIGTERM)
            ::_exit(25);
    }
    if (!canonical(0))
        ::_exit(26);
    // Leave raw mode on and end through exit(): the terminal must still be
    // restored, and what was written must still appear.
    backend.raw_mode(true);
    con.put("bye");
    std::exit(0);
}

TEST(PosixTerminal, RawKeysAndRestoredModes)
{
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo-terminals here";
    std::string name = ::ptsname(master);
    int keep = ::open(name.c_str(), O_RDWR | O_NOCTTY);  // holds the modes after the child
    ASSERT_GE(keep, 0);
    ASSERT_TRUE(canonical(keep));

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
        child(name.c_str());

    std::string output;
    bool sent = false;
    int status = 0;
    for (int rounds = 0; rounds < 400; ++rounds) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 25) > 0) {
            char buf[512];
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                output.append(buf, static_cast<std::size_t>(n));
        }
        if (!sent && output.find("ready") != std::string::npos) {
            ::usleep(100000);  // let the child reach its raw read
            ASSERT_EQ(::write(master, "\x1b[D", 3), 3);
            sent = true;
        }
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            pid = 0;
            break;
        }
    }
    if (pid != 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        FAIL() << "the child did not finish; output: " << output;
    }
    // Collect the last bytes.
    pollfd p{master, POLLIN, 0};
    while (::poll(&p, 1, 50) > 0) {
        char buf[512];
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        output.append(buf, static_cast<std::size_t>(n));
    }
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("bye"), std::string::npos);
    EXPECT_NE(output.find("\x1b[0m"), std::string::npos);
    EXPECT_TRUE(canonical(keep));
    ::close(keep);
    ::close(master);
}

// Under a file-size limit a write past it must fail and be reported, not end
// the run by SIGXFSZ with the dataset unsaved.
TEST(PosixTerminal, AFileSizeLimitFailsTheWriteInsteadOfEndingTheRun)
{
    char path[] = "/tmp/latticor-fsize-XXXXXX";
    int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        console::install_signal_handlers();
        rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        char block[4096] = {};
        ssize_t n = 0;
        while (n >= 0)
            n = ::write(fd, block, sizeof block);
        ::_exit(errno == EFBIG ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(fd);
    ::unlink(path);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
