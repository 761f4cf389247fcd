// The real program on a pseudo-terminal, as a user at a shell meets it: a
// reply corrected with the arrow keys, a command run to its end in the
// terminal's normal mode, and a stop with Ctrl-Z.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "support/scratch.hpp"

namespace {

// The program in a session of its own on a pseudo-terminal, started by a
// small job-control shell that reports a stop as "[stopped]", as a login
// shell would; the test continues the program itself.
class Terminal {
public:
    explicit Terminal(const std::string& dir)
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        int report[2];
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::pipe(report) != 0)
            return;
        shell_ = ::fork();
        if (shell_ == 0)
            run_shell(::ptsname(master_), dir, report[1]);
        ::close(report[1]);
        if (::read(report[0], &program_, sizeof program_) != sizeof program_)
            program_ = -1;
        ::close(report[0]);
    }
    ~Terminal()
    {
        if (shell_ > 0) {
            ::kill(program_, SIGKILL);
            ::kill(shell_, SIGKILL);
            ::waitpid(shell_, nullptr, 0);
        }
        if (master_ >= 0)
            ::close(master_);
    }

    pid_t program() const { return program_; }
    int master() const { return master_; }
    const std::string& bytes() const { return output_; }

    // Keys are sent once the program reads keys one by one, so that none is
    // taken by the terminal's own line editing.
    void type(const std::string& keys)
    {
        termios modes{};
        for (int i = 0; i < 200; ++i) {
            if (::tcgetattr(master_, &modes) == 0 && (modes.c_lflag & ICANON) == 0)
                break;
            ::usleep(10000);
        }
        ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Waits until the screen text holds `text` `times` times.
    bool wait_for(const std::string& text, int times = 1)
    {
        for (int round = 0; round < 400; ++round) {
            const std::string s = text_shown();
            int n = 0;
            for (std::size_t p = s.find(text); p != std::string::npos; p = s.find(text, p + 1))
                ++n;
            if (n >= times)
                return true;
            read_some();
        }
        return false;
    }

    // The exit status of the program, -1 when it did not end in time.
    int finish()
    {
        for (int round = 0; round < 400; ++round) {
            read_some();
            int status = 0;
            if (::waitpid(shell_, &status, WNOHANG) == shell_) {
                shell_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

    // What was written, without control sequences and carriage returns.
    std::string text_shown() const
    {
        std::string s;
        for (std::size_t i = 0; i < output_.size(); ++i) {
            if (output_[i] == '\x1b' && i + 1 < output_.size() && output_[i + 1] == '[') {
                for (i += 2; i < output_.size() && (output_[i] < 0x40 || output_[i] > 0x7e); ++i) {
                }
            } else if (output_[i] != '\r') {
                s += output_[i];
            }
        }
        return s;
    }

private:
    // Up to 25 ms for output (a hung-up terminal answers at once: wait anyway).
    void read_some()
    {
        pollfd p{master_, POLLIN, 0};
        char buf[4096];
        ssize_t n = ::poll(&p, 1, 25) > 0 ? ::read(master_, buf, sizeof buf) : 0;
        if (n > 0)
            output_.append(buf, static_cast<std::size_t>(n));
        else
            ::usleep(25000);
    }

    [[noreturn]] static void run_shell(const char* slave, const std::string& dir, int report)
    {
        ::alarm(30);  // never outlive a broken test
        ::setsid();
        int tty = ::open(slave, O_RDWR);  // the session's controlling terminal
        int go[2];
        if (tty < 0 || ::pipe(go) != 0)
            ::_exit(90);
        std::signal(SIGTTOU, SIG_IGN);
        // This test runs from <build>/tests; the program is <build>/src/latticor.
        namespace fs = std::filesystem;
        const std::string exe =
            (fs::canonical("/proc/self/exe").parent_path().parent_path() / "src" / "latticor").string();
        pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, 0);
            char c;
            (void)!::read(go[0], &c, 1);  // the terminal is this group's from here on
            for (int fd = 0; fd < 3; ++fd)
                ::dup2(tty, fd);
            std::signal(SIGTTOU, SIG_DFL);
            ::unsetenv("OS");
            ::unsetenv("COMSPEC");
            if (::chdir(dir.c_str()) == 0)
                ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            ::_exit(91);
        }
        ::setpgid(child, child);
        ::tcsetpgrp(tty, child);
        (void)!::write(go[1], "g", 1);
        (void)!::write(report, &child, sizeof child);
        for (;;) {
            int status = 0;
            if (::waitpid(child, &status, WUNTRACED) < 0)
                ::_exit(92);
            if (!WIFSTOPPED(status))
                ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 93);
            (void)!::write(tty, "\r\n[stopped]\r\n", 13);
        }
    }

    int master_ = -1;
    pid_t shell_ = -1;
    pid_t program_ = -1;
    std::string output_;
};

const std::string prompt = "Next command or ? for Help: ";

struct TerminalSession : ::testing::Test {
    testing_support::ScratchDir dir{false};
    Terminal term{dir.path()};

    void SetUp() override
    {
        if (term.program() <= 0)
            GTEST_SKIP() << "no pseudo-terminals here";
        ASSERT_TRUE(term.wait_for(prompt)) << term.text_shown();
    }
    void quit()
    {
        term.type("qu\r");
        EXPECT_EQ(term.finish(), 0) << term.text_shown();
    }
};

TEST_F(TerminalSession, AReplyIsCorrectedWithTheArrowKeys)
{
    // E, Left, V: the command VE, not a refused "e^[[Dv".
    term.type("e\x1b[Dv\r");
    ASSERT_TRUE(term.wait_for("Home directory: ")) << term.text_shown();
    EXPECT_EQ(term.text_shown().find("^["), std::string::npos);
    quit();
}

TEST_F(TerminalSession, ACommandRunsToItsEndInTheNormalMode)
{
    term.type("ru\r");
    ASSERT_TRUE(term.wait_for("O/S Command to be run: "));
    // stty shows the modes the command was given: line editing and echo on.
    term.type("sleep 0.3; stty -a; echo command-ended\r");
    ASSERT_TRUE(term.wait_for("Press ENTER to continue ")) << term.text_shown();
    // The reply's line, then what the command wrote, then the pause.
    const std::string text = term.text_shown();
    const std::size_t start = text.find("command-ended\n");
    const std::size_t ended = text.find("\ncommand-ended\n", start);
    ASSERT_NE(ended, std::string::npos) << text;
    EXPECT_LT(ended, text.find("Press ENTER to continue "));
    const std::string modes = text.substr(start, ended - start);
    EXPECT_NE(modes.find(" icanon"), std::string::npos) << modes;
    EXPECT_NE(modes.find(" echo "), std::string::npos) << modes;
    term.type("\r");
    ASSERT_TRUE(term.wait_for(prompt, 2));
    quit();
}

TEST_F(TerminalSession, CtrlZRestoresTheTerminalAndContinuingRedrawsThePrompt)
{
    term.type("v");  // half a reply, to see it come back
    ASSERT_TRUE(term.wait_for(prompt + "v"));
    term.type("\x1a");
    ASSERT_TRUE(term.wait_for("[stopped]")) << term.text_shown();
    termios modes{};
    ASSERT_EQ(::tcgetattr(term.master(), &modes), 0);
    EXPECT_TRUE((modes.c_lflag & ICANON) && (modes.c_lflag & ECHO));
    EXPECT_NE(term.bytes().rfind("\x1b[0m"), std::string::npos);

    ::kill(term.program(), SIGCONT);
    // The prompt's row comes again, with the reply typed so far.
    ASSERT_TRUE(term.wait_for(prompt + "v", 2)) << term.text_shown();
    term.type("e\r");
    EXPECT_TRUE(term.wait_for("Home directory: ")) << term.text_shown();
    quit();
}

} // namespace
