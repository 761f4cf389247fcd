// POSIX file lookup, directories and process start.
#include "console/platform.hpp"

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

int spawn(const char* file, char* const argv[], bool search_path)
{
    reap_children();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Redirected input is the script of this run: a child must not eat it.
    if (isatty(STDIN_FILENO) == 0)
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    int rc = search_path ? posix_spawnp(&pid, file, &actions, &attr, argv, environ)
                         : posix_spawn(&pid, file, &actions, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    switch (rc) {
    case 0: return 0;
    case ENOENT: case ENOTDIR: return 2;
    case EACCES: case ENOEXEC: case EPERM: return 5;
    case ENOMEM: case EAGAIN: return 8;
    default: return rc;
    }
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

int start_shell_command(const std::string& command)
{
    const char* comspec = std::getenv("COMSPEC");
    std::string shell = (comspec != nullptr && *comspec != '\0') ? comspec : "/bin/sh";
    std::string dash_c = "-c";
    std::string cmd = command;
    char* argv[] = {shell.data(), dash_c.data(), cmd.data(), nullptr};
    return spawn(shell.c_str(), argv, shell.find('/') == std::string::npos);
}

int start_program(const std::string& program, const std::string& argument)
{
    std::string prog = program;
    std::string arg = argument;
    char* argv[] = {prog.data(), arg.data(), nullptr};
    return spawn(prog.c_str(), argv, prog.find('/') == std::string::npos);
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

void reap_children()
{
    int status = 0;
    while (::waitpid(-1, &status, WNOHANG) > 0) {
    }
}

} // namespace console
