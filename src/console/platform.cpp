// POSIX file lookup, directories, the home directory and running commands.
#include "console/platform.hpp"

#include "console/console.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace console {

namespace {

bool exists_exactly(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> split_components(const std::string& path)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : path) {
        if (c == '/') {
            if (!cur.empty())
                parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        parts.push_back(cur);
    return parts;
}

// Does `name` match the DOS pattern part? "*" any run, "?" one character
// (or none at the end of the part), case-insensitive.
bool match_part(const char* p, const char* s)
{
    for (;;) {
        if (*p == '\0')
            return *s == '\0';
        if (*p == '*') {
            for (const char* t = s;; ++t) {
                if (match_part(p + 1, t))
                    return true;
                if (*t == '\0')
                    return false;
            }
        }
        if (*p == '?') {
            if (*s == '\0')
                return match_part(p + 1, s);  // trailing ? may match nothing
            ++p;
            ++s;
            continue;
        }
        if (*s == '\0')
            return false;
        if (std::tolower(static_cast<unsigned char>(*p)) !=
            std::tolower(static_cast<unsigned char>(*s)))
            return false;
        ++p;
        ++s;
    }
}

bool dos_match(const std::string& pattern, const std::string& name)
{
    auto split = [](const std::string& s, std::string& base, std::string& ext) {
        std::size_t dot = s.rfind('.');
        if (dot == std::string::npos) {
            base = s;
            ext.clear();
        } else {
            base = s.substr(0, dot);
            ext = s.substr(dot + 1);
        }
    };
    std::string pb, pe, nb, ne;
    split(pattern, pb, pe);
    split(name, nb, ne);
    if (pattern.find('.') == std::string::npos)
        return match_part(pattern.c_str(), name.c_str());
    return match_part(pb.c_str(), nb.c_str()) && match_part(pe.c_str(), ne.c_str());
}

// Starts the interpreter on `command`; its process id, or the start-error
// code as a negative number.
pid_t start_shell(const std::string& command, int& error)
{
    const char* comspec = std::getenv("COMSPEC");
    std::string shell = (comspec != nullptr && *comspec != '\0') ? comspec : "/bin/sh";
    std::string dash_c = "-c";
    std::string cmd = command;
    char* argv[] = {shell.data(), dash_c.data(), cmd.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Redirected input is the script of this run: a child must not eat it.
    if (isatty(STDIN_FILENO) == 0)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // What this run ignores or catches, the command gets in the usual way.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTSTP, SIGXFSZ})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const bool search_path = shell.find('/') == std::string::npos;
    int rc = search_path ? posix_spawnp(&pid, shell.c_str(), &actions, &attr, argv, environ)
                         : posix_spawn(&pid, shell.c_str(), &actions, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    switch (rc) {
    case 0: error = 0; return pid;
    case ENOENT: case ENOTDIR: error = 2; break;
    case EACCES: case ENOEXEC: case EPERM: error = 5; break;
    case ENOMEM: case EAGAIN: error = 8; break;
    default: error = rc; break;
    }
    return -1;
}

// The exit status of a finished child; -1 when it ended by a signal.
int wait_for(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool executable_file(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// Is `name` an executable file in one of the directories of PATH?
bool on_path(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t from = 0;
    for (;;) {
        std::size_t colon = dirs.find(':', from);
        std::string dir = dirs.substr(from, colon == std::string::npos ? colon : colon - from);
        if (executable_file((dir.empty() ? "." : dir) + "/" + name))
            return true;
        if (colon == std::string::npos)
            return false;
        from = colon + 1;
    }
}

std::string variable(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

} // namespace

std::string resolve_path(const std::string& given)
{
    std::string path = given;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    if (path.empty() || exists_exactly(path))
        return path;
    bool absolute = path[0] == '/';
    bool trailing_slash = path.back() == '/';
    std::vector<std::string> parts = split_components(path);
    std::string built = absolute ? "/" : "";
    bool lost = false;  // once a component matches nothing, keep the rest as given
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string candidate = built + parts[i];
        if (!lost && !exists_exactly(candidate)) {
            std::string dir = built.empty() ? "." : built;
            DIR* d = ::opendir(dir.c_str());
            std::string found;
            if (d != nullptr) {
                while (dirent* e = ::readdir(d)) {
                    if (::strcasecmp(e->d_name, parts[i].c_str()) == 0) {
                        found = e->d_name;
                        break;
                    }
                }
                ::closedir(d);
            }
            if (found.empty())
                lost = true;
            else
                candidate = built + found;
        }
        built = candidate;
        if (i + 1 < parts.size())
            built += '/';
    }
    if (trailing_slash && !built.empty() && built.back() != '/')
        built += '/';
    return built;
}

bool file_exists(const std::string& path)
{
    struct stat st {};
    return ::stat(resolve_path(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directory_exists(const std::string& path)
{
    struct stat st {};
    std::string p = resolve_path(path.empty() ? "." : path);
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool remove_file(const std::string& path)
{
    if (!file_exists(path))
        return false;
    return ::unlink(resolve_path(path).c_str()) == 0;
}

std::string system_name()
{
    struct utsname u {};
    if (::uname(&u) != 0)
        return "POSIX";
    return std::string(u.sysname) + " " + u.release + " (" + u.machine + ")";
}

std::string current_directory()
{
    char buf[4096];
    if (::getcwd(buf, sizeof buf) == nullptr)
        return ".";
    return buf;
}

bool change_directory(const std::string& path)
{
    return ::chdir(resolve_path(path).c_str()) == 0;
}

std::vector<std::string> matching_files(const std::string& dir, const std::string& pattern)
{
    std::vector<std::string> names;
    std::string d = resolve_path(dir.empty() ? "." : dir);
    DIR* h = ::opendir(d.c_str());
    if (h == nullptr)
        return names;
    while (dirent* e = ::readdir(h)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string full = d + (d.back() == '/' ? "" : "/") + name;
        struct stat st {};
        if (::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (dos_match(pattern, name))
            names.push_back(name);
    }
    ::closedir(h);
    return names;
}

std::string home_directory()
{
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    std::string exe(buf, static_cast<std::size_t>(n));
    // <prefix>/bin/latticor -> <prefix>
    std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return {};
    std::string bin = exe.substr(0, slash);
    slash = bin.rfind('/');
    if (slash == std::string::npos)
        return {};
    return bin.substr(0, slash) + "/share/latticor/";
}

int run_command(Console& con, const std::string& command)
{
    con.hand_over_terminal();
    // Ctrl-C and Ctrl-\ at the terminal are meant for the command, which
    // gets them too; this run stays, as with system().
    struct sigaction ignore {}, old_int {}, old_quit {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGINT, &ignore, &old_int);
    sigaction(SIGQUIT, &ignore, &old_quit);
    int error = 0;
    pid_t pid = start_shell(command, error);
    int status = pid > 0 ? wait_for(pid) : 0;
    sigaction(SIGINT, &old_int, nullptr);
    sigaction(SIGQUIT, &old_quit, nullptr);
    con.take_back_terminal();
    if (pid <= 0)
        return error;
    if (status == not_found)
        return not_found;
    if (status == 126)  // found, but the shell could not execute it
        return 5;
    return 0;
}

int run_program(Console& con, const std::string& program, const std::string& argument)
{
    const std::string word = program_of(program);
    const bool found = word.find('/') != std::string::npos ? executable_file(word) : on_path(word);
    if (!found)
        return not_found;
    return run_command(con, program + " " + shell_argument(argument));
}

// The first shell word, with its quoting undone: enough of the shell's rules
// for the program names this system writes and users type.
std::string program_of(const std::string& command)
{
    std::string word;
    std::size_t i = command.find_first_not_of(" \t");
    char quote = 0;
    for (; i < command.size(); ++i) {
        char c = command[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else if (quote == '"' && c == '\\' && i + 1 < command.size())
                word += command[++i];
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '\\' && i + 1 < command.size()) {
            word += command[++i];
        } else if (c == ' ' || c == '\t' || c == ';' || c == '|' || c == '&') {
            break;
        } else {
            word += c;
        }
    }
    return word;
}

std::string shell_quote(const std::string& text)
{
    std::string q = "'";
    for (char c : text) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    q += "'";
    return q;
}

std::string shell_argument(const std::string& name)
{
    return shell_quote(!name.empty() && name[0] == '-' ? "./" + name : name);
}

std::string default_editor()
{
    for (const char* name : {"VISUAL", "EDITOR"}) {
        std::string chosen = variable(name);
        if (!chosen.empty())
            return chosen;
    }
    if (!variable("DISPLAY").empty() || !variable("WAYLAND_DISPLAY").empty())
        return "xdg-open";
    return "vi";
}

std::string default_pager()
{
    std::string chosen = variable("PAGER");
    if (!chosen.empty())
        return chosen;
    return on_path("less") ? "less" : "more";
}

} // namespace console
