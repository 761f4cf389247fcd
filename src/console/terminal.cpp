// The POSIX terminal under the console: file descriptors 0 and 1, termios
// modes, and the terminating signals.
#include "console/console.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace console {

namespace {

volatile std::sig_atomic_t received_signal = 0;
volatile std::sig_atomic_t continued = 0;  // SIGCONT came: modes and screen to be set again

termios saved_mode{};
bool have_saved_mode = false;
bool output_is_tty = false;
PosixBackend* live_backend = nullptr;

constexpr char reset_colours[] = "\x1b[0m";

// The terminal as it was found: modes back, colours reset. Only
// async-signal-safe calls, so that a signal handler may use it too.
void restore_tty()
{
    if (output_is_tty)
        (void)!::write(STDOUT_FILENO, reset_colours, sizeof reset_colours - 1);
    if (have_saved_mode)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
}

// The first signal ends the run at the next read, through the shutdown that
// saves the dataset. A second one, while the run is still busy, ends it at once.
void on_signal(int sig)
{
    if (received_signal != 0) {
        restore_tty();
        ::_exit(128 + sig);
    }
    received_signal = sig;
}

// No SA_RESTART: a blocked read returns at once.
void catch_signal(int sig, void (*handler)(int))
{
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;
    sigaction(sig, &sa, nullptr);
}

// Ctrl-Z: the terminal goes back as it was found, then the run stops as it
// would have without this handler; it goes on here after SIGCONT.
void on_stop(int)
{
    const int saved_errno = errno;
    restore_tty();
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t stop, old;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, &old);
    ::raise(SIGTSTP);
    sigprocmask(SIG_SETMASK, &old, nullptr);
    catch_signal(SIGTSTP, on_stop);
    continued = 1;
    errno = saved_errno;
}

void on_continue(int) { continued = 1; }

// A run that ends through exit() (an internal error) leaves the terminal as
// it found it too, with everything written so far shown.
void restore_at_exit()
{
    if (live_backend != nullptr)
        live_backend->restore_terminal();
}

void check_signal()
{
    if (received_signal != 0)
        throw InputEnded{static_cast<int>(received_signal)};
}

} // namespace

void install_signal_handlers()
{
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: a blocked read returns at once
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a closed pipe must not end the run unsaved
    catch_signal(SIGTSTP, on_stop);
    catch_signal(SIGCONT, on_continue);
    // A write past a file-size limit then fails with EFBIG and is reported
    // like a full disk, instead of killing the run with the dataset unsaved.
    std::signal(SIGXFSZ, SIG_IGN);
}

int pending_signal() { return static_cast<int>(received_signal); }

PosixBackend::PosixBackend()
    : out_tty_(isatty(STDOUT_FILENO) != 0),
      in_tty_(isatty(STDIN_FILENO) != 0)
{
    if (in_tty_ && tcgetattr(STDIN_FILENO, &saved_mode) == 0)
        have_saved_mode = true;
    output_is_tty = out_tty_;
    if (live_backend == nullptr) {
        static const bool registered = std::atexit(restore_at_exit) == 0;
        (void)registered;
    }
    live_backend = this;
}

PosixBackend::~PosixBackend()
{
    restore_terminal();
    if (live_backend == this)
        live_backend = nullptr;
}

// A terminal shows each line as it is finished, so that progress reports of
// long computations appear in time; files and pipes get large blocks.
void PosixBackend::write(std::string_view bytes)
{
    out_.append(bytes);
    if (out_.size() > 8192 || (out_tty_ && bytes.find('\n') != std::string_view::npos))
        flush();
}

void PosixBackend::flush()
{
    std::size_t done = 0;
    while (done < out_.size()) {
        ssize_t n = ::write(STDOUT_FILENO, out_.data() + done, out_.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;  // output gone (hang-up, closed pipe): nothing more to show
        done += static_cast<std::size_t>(n);
    }
    out_.clear();
}

int PosixBackend::read_byte(int timeout_ms)
{
    if (in_pos_ < in_len_)
        return in_[in_pos_++];
    for (;;) {
        check_signal();
        if (continued != 0) {
            continued = 0;
            set_mode(mode_);
            return resumed;
        }
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        int r = ::poll(&pfd, 1, timeout_ms);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return eof;
        }
        if (r == 0)
            return timeout;
        // Redirected input is read a byte at a time, so that what this run
        // does not use stays in the stream for the program started after it
        // (the outside driver restarts the system on the same input).
        ssize_t n = ::read(STDIN_FILENO, in_, in_tty_ ? sizeof in_ : 1);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return eof;
        }
        if (n == 0)
            return eof;
        in_len_ = static_cast<int>(n);
        in_pos_ = 0;
        return in_[in_pos_++];
    }
}

void PosixBackend::raw_mode(bool on) { set_mode(on ? Mode::raw : Mode::normal); }

void PosixBackend::reply_mode(bool on) { set_mode(on ? Mode::reply : Mode::normal); }

void PosixBackend::set_mode(Mode mode)
{
    mode_ = mode;
    if (!in_tty_ || !have_saved_mode)
        return;
    if (mode == Mode::normal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_mode);
        return;
    }
    termios keys = saved_mode;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    if (mode == Mode::raw)
        keys.c_lflag &= static_cast<tcflag_t>(~ISIG);
    else
        keys.c_cc[VQUIT] = _POSIX_VDISABLE;  // Ctrl-\ would end the run unsaved
    keys.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL | INLCR));
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &keys);
}

void PosixBackend::discard_input()
{
    in_pos_ = in_len_ = 0;
    if (in_tty_)
        tcflush(STDIN_FILENO, TCIFLUSH);
}

void PosixBackend::restore_terminal()
{
    flush();
    restore_tty();
}

} // namespace console
