// The real program on a pseudo-terminal, as a user at a shell meets it: a
// reply corrected with the arrow keys, the command history, a command run
// to its end in the terminal's normal mode, and a stop with Ctrl-Z.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;

// This test runs from <build>/tests; the program is <build>/src/latticor.
std::string program()
{
    return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "src" / "latticor")
        .string();
}

// The program in a session of its own on a pseudo-terminal, started by a
// small job-control shell: the shell reports a stop of the program as
// "[stopped]" on the terminal, as a login shell would, and the test
// continues it.
class Terminal {
public:
    explicit Terminal(const std::string& dir)
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        const std::string slave = ::ptsname(master_);
        int pid_pipe[2];
        if (::pipe(pid_pipe) != 0)
            return;
        shell_ = ::fork();
        if (shell_ == 0) {
            ::close(pid_pipe[0]);
            run_shell(slave, dir, pid_pipe[1]);
        }
        ::close(pid_pipe[1]);
        if (::read(pid_pipe[0], &program_, sizeof program_) != sizeof program_)
            program_ = -1;
        ::close(pid_pipe[0]);
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

    bool started() const { return program_ > 0; }
    pid_t program_pid() const { return program_; }
    int master() const { return master_; }

    void type(const std::string& keys)
    {
        wait_for_keys();
        ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Waits until the screen text holds `text` `times` times.
    bool wait_for(const std::string& text, int times = 1)
    {
        for (int round = 0; round < 400; ++round) {
            if (count(text) >= times)
                return true;
            read_some(25);
        }
        return false;
    }

    int count(const std::string& text) const
    {
        const std::string s = screen_text();
        int n = 0;
        for (std::size_t p = s.find(text); p != std::string::npos; p = s.find(text, p + 1))
            ++n;
        return n;
    }

    // The exit status of the program, -1 when it did not end in time.
    int finish()
    {
        for (int round = 0; round < 400; ++round) {
            read_some(25);
            int status = 0;
            if (::waitpid(shell_, &status, WNOHANG) == shell_) {
                shell_ = -1;
                read_some(50);
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

    const std::string& bytes() const { return output_; }

    // What the terminal shows, without its control sequences.
    std::string screen_text() const
    {
        std::string s;
        for (std::size_t i = 0; i < output_.size(); ++i) {
            const char c = output_[i];
            if (c == '\x1b' && i + 1 < output_.size() && output_[i + 1] == '[') {
                i += 2;
                while (i < output_.size() && (output_[i] < 0x40 || output_[i] > 0x7e))
                    ++i;
            } else if (c != '\r') {
                s += c;
            }
        }
        return s;
    }

private:
    // Up to `ms` milliseconds for output; a terminal whose program has gone
    // reports a hang-up at once, so the time is spent anyway.
    void read_some(int ms)
    {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, ms) > 0) {
            char buf[4096];
            ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0) {
                output_.append(buf, static_cast<std::size_t>(n));
                return;
            }
            ::usleep(static_cast<useconds_t>(ms) * 1000);
        }
    }

    // Typing waits until the program reads keys one by one, so that nothing
    // is taken by the terminal's own line editing.
    void wait_for_keys() const
    {
        termios modes{};
        for (int round = 0; round < 200; ++round) {
            if (::tcgetattr(master_, &modes) == 0 && (modes.c_lflag & ICANON) == 0)
                return;
            ::usleep(10000);
        }
    }

    [[noreturn]] static void run_shell(const std::string& slave, const std::string& dir, int report)
    {
        ::alarm(30);  // never outlive a broken test
        ::setsid();
        int tty = ::open(slave.c_str(), O_RDWR);  // the session's controlling terminal
        if (tty < 0)
            ::_exit(90);
        winsize size{25, 80, 0, 0};
        ::ioctl(tty, TIOCSWINSZ, &size);
        std::signal(SIGTTOU, SIG_IGN);
        int go[2];
        if (::pipe(go) != 0)
            ::_exit(91);
        pid_t child = ::fork();
        if (child == 0) {
            ::setpgid(0, 0);
            char c;
            (void)!::read(go[0], &c, 1);  // the terminal is ours from here on
            ::dup2(tty, 0);
            ::dup2(tty, 1);
            ::dup2(tty, 2);
            if (::chdir(dir.c_str()) != 0)
                ::_exit(92);
            std::signal(SIGTTOU, SIG_DFL);
            ::unsetenv("OS");
            ::unsetenv("COMSPEC");
            ::setenv("TERM", "xterm", 1);
            const std::string exe = program();
            ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            ::_exit(93);
        }
        ::setpgid(child, child);
        ::tcsetpgrp(tty, child);
        (void)!::write(go[1], "g", 1);
        (void)!::write(report, &child, sizeof child);
        for (;;) {
            int status = 0;
            if (::waitpid(child, &status, WUNTRACED) < 0)
                ::_exit(94);
            if (WIFSTOPPED(status)) {
                (void)!::write(tty, "\r\n[stopped]\r\n", 13);
                continue;
            }
            ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 95);
        }
    }

    int master_ = -1;
    pid_t shell_ = -1;
    pid_t program_ = -1;
    std::string output_;
};

const std::string prompt = "Next command or ? for Help: ";
const std::string left = "\x1b[D", up = "\x1b[A";

struct TerminalSession : ::testing::Test {
    testing_support::ScratchDir dir{false};
    Terminal term{dir.path()};

    void SetUp() override
    {
        if (!term.started())
            GTEST_SKIP() << "no pseudo-terminals here";
        ASSERT_TRUE(term.wait_for(prompt)) << term.screen_text();
    }
    void quit()
    {
        term.type("qu\r");
        EXPECT_EQ(term.finish(), 0) << term.screen_text();
    }
};

TEST_F(TerminalSession, AReplyIsCorrectedWithTheArrowKeys)
{
    // E, Left, V: the command VE, not a refused "e^[[Dv".
    term.type("e" + left + "v\r");
    ASSERT_TRUE(term.wait_for("Home directory: ")) << term.screen_text();
    EXPECT_EQ(term.screen_text().find("^["), std::string::npos);
    quit();
}

TEST_F(TerminalSession, UpBringsBackTheLastCommand)
{
    term.type("ve\r");
    ASSERT_TRUE(term.wait_for(prompt, 2));
    term.type(up + "\r");
    EXPECT_TRUE(term.wait_for("Home directory: ", 2)) << term.screen_text();
    quit();
}

TEST_F(TerminalSession, ACommandRunsToItsEndInTheNormalMode)
{
    term.type("ru\r");
    ASSERT_TRUE(term.wait_for("O/S Command to be run: "));
    // stty shows the modes the command was given: line editing and echo on.
    term.type("sleep 0.3; stty -a; echo command-ended\r");
    ASSERT_TRUE(term.wait_for("Press ENTER to continue ")) << term.screen_text();
    const std::string text = term.screen_text();
    // The reply's line, then what the command wrote, then the pause.
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
    ASSERT_TRUE(term.wait_for("[stopped]")) << term.screen_text();
    termios modes{};
    ASSERT_EQ(::tcgetattr(term.master(), &modes), 0);
    EXPECT_TRUE((modes.c_lflag & ICANON) && (modes.c_lflag & ECHO));
    EXPECT_NE(term.bytes().rfind("\x1b[0m"), std::string::npos);

    ::kill(term.program_pid(), SIGCONT);
    // The prompt's row comes again, with the reply typed so far.
    ASSERT_TRUE(term.wait_for(prompt + "v", 2)) << term.screen_text();
    term.type("e\r");
    EXPECT_TRUE(term.wait_for("Home directory: ")) << term.screen_text();
    quit();
}

} // namespace
