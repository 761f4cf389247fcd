// Text files with CR LF line ends and write-error capture, and the safe
// replacement of a file through a temporary beside it.
#include "console/textfile.hpp"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/platform.hpp"

namespace console {

namespace {

// Written files get a buffer of a fixed size, so that where a failing write
// (a full disk, a file-size limit) is first seen does not depend on the
// file system.
void fixed_buffer(std::FILE* f) { std::setvbuf(f, nullptr, _IOFBF, 4096); }

} // namespace

TextFile::~TextFile() { close(); }

void TextFile::adopt(std::FILE* f, const std::string& path, bool writing, Target target)
{
    file_ = f;
    if (writing)
        fixed_buffer(file_);
    path_ = path;
    target_ = target;
    writing_ = writing;
    clear_error();
    read_error_ = 0;
}

int TextFile::open_file(const std::string& path, const char* mode, bool writing,
                        int fallback_error)
{
    close();
    std::string real = console::resolve_path(path);
    errno = 0;
    std::FILE* f = std::fopen(real.c_str(), mode);
    if (f == nullptr)
        return errno != 0 ? errno : fallback_error;
    adopt(f, path, writing, Target::direct);
    return 0;
}

int TextFile::open_read(const std::string& path) { return open_file(path, "rb", false, 2); }

int TextFile::open_append(const std::string& path) { return open_file(path, "ab", true, 5); }

int TextFile::open_create(const std::string& path) { return open_file(path, "wb", true, 5); }

namespace {

// Stale temporaries are those written before this process started.
const std::time_t process_start = std::time(nullptr);

constexpr const char* temporary_tag = ".latticor-";
constexpr const char* random_letters = "0123456789abcdefghijklmnopqrstuvwxyz";

std::string random6()
{
    static std::random_device device;
    std::string text;
    for (int i = 0; i < 6; ++i)
        text += random_letters[device() % 36];
    return text;
}

bool process_alive(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// The file a path names, symbolic links followed to their end (which may not
// exist yet): a save writes through a link instead of replacing it.
int follow_links(std::string path, std::string& target)
{
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = path;
            return 0;
        }
        if (hops == 40)
            return ELOOP;
        char buf[4096];
        ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n < 0)
            return errno;
        if (n == static_cast<ssize_t>(sizeof buf))
            return ENAMETOOLONG;
        std::string link(buf, static_cast<std::size_t>(n));
        if (!link.empty() && link[0] != '/') {
            std::size_t slash = path.rfind('/');
            link = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
        path = link;
    }
}

} // namespace

std::string temporary_name(const std::string& target_name, long pid, const std::string& suffix)
{
    return "." + target_name + temporary_tag + std::to_string(pid) + "-" + suffix;
}

long temporary_owner(const std::string& name)
{
    std::size_t tag = name.rfind(temporary_tag);
    if (name.empty() || name[0] != '.' || tag == std::string::npos || tag == 0)
        return -1;
    std::size_t p = tag + std::char_traits<char>::length(temporary_tag);
    std::size_t dash = name.find('-', p);
    if (dash == std::string::npos || dash == p || dash - p > 9 || name.size() != dash + 7)
        return -1;
    long pid = 0;
    for (std::size_t i = p; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9')
            return -1;
        pid = pid * 10 + (name[i] - '0');
    }
    for (std::size_t i = dash + 1; i < name.size(); ++i) {
        char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return -1;
    }
    return pid > 0 ? pid : -1;
}

int remove_stale_temporaries(const std::string& dir)
{
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr)
        return 0;
    const std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    int removed = 0;
    while (dirent* e = ::readdir(d)) {
        long pid = temporary_owner(e->d_name);
        if (pid < 0)
            continue;
        std::string path = prefix + e->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
            st.st_mtime >= process_start)
            continue;
        // A run still alive may be sitting in a save dialogue with its
        // temporary open; the same process id as ours is an earlier run's.
        if (pid != ::getpid() && process_alive(pid))
            continue;
        if (::unlink(path.c_str()) == 0)
            ++removed;
    }
    ::closedir(d);
    return removed;
}

// A device or a pipe cannot be replaced: it is written to as it is.
int TextFile::open_direct(const std::string& path, const std::string& target)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno != 0 ? errno : 5;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        int err = errno;
        ::close(fd);
        return err != 0 ? err : 5;
    }
    adopt(f, path, true, Target::direct);
    return 0;
}

int TextFile::open_replace(const std::string& path)
{
    close();
    std::string target;
    if (int err = follow_links(console::resolve_path(path), target); err != 0)
        return err;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode))
        return EISDIR;
    if (existed && !S_ISREG(st.st_mode))
        return open_direct(path, target);

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    remove_stale_temporaries(dir);
    // O_EXCL with O_NOFOLLOW: the temporary is a new file, never a file or
    // link planted at its name beforehand.
    const std::string name = target.substr(dir.size());
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir + temporary_name(name, ::getpid(), random6());
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return errno != 0 ? errno : 5;
    }
    if (fd < 0)
        return EEXIST;
    if (existed) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)!::fchown(fd, st.st_uid, st.st_gid);
        ::fchmod(fd, st.st_mode & 07777);
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        return err != 0 ? err : 5;
    }
    adopt(f, path, true, existed ? Target::existing_file : Target::new_file);
    temp_path_ = temp;
    target_path_ = target;
    return 0;
}

int TextFile::commit()
{
    if (file_ == nullptr)
        return 103;
    flush();
    // The new contents reach the disk before they take the old file's name.
    if (!temp_path_.empty() && error_ == 0 && ::fsync(::fileno(file_)) != 0)
        write_failed(errno != 0 ? errno : 101);
    errno = 0;
    if (std::fclose(file_) != 0)
        write_failed(errno != 0 ? errno : 101);
    file_ = nullptr;
    writing_ = false;
    if (temp_path_.empty())
        return error_;
    std::string temp = temp_path_;
    temp_path_.clear();
    if (error_ != 0) {
        ::unlink(temp.c_str());
        return error_;
    }
    if (::rename(temp.c_str(), target_path_.c_str()) != 0) {
        error_ = errno != 0 ? errno : 101;
        ::unlink(temp.c_str());
    }
    return error_;
}

void TextFile::close()
{
    if (file_ == nullptr)
        return;
    if (!temp_path_.empty()) {
        std::fclose(file_);
        ::unlink(temp_path_.c_str());
        temp_path_.clear();
    } else {
        if (writing_)
            flush();
        std::fclose(file_);
    }
    file_ = nullptr;
    writing_ = false;
}

void TextFile::write_failed(int code)
{
    if (error_ == 0)
        error_ = code;
    last_error_ = code;
    ++failed_writes_;
}

void TextFile::put(std::string_view text)
{
    if (file_ == nullptr || !writing_) {
        write_failed(file_ == nullptr ? 103 : 105);
        return;
    }
    if (text.empty())
        return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size())
        write_failed(errno != 0 ? errno : 101);
}

void TextFile::endl() { put("\r\n"); }

void TextFile::flush()
{
    if (file_ == nullptr || !writing_)
        return;
    errno = 0;
    if (std::fflush(file_) != 0)
        write_failed(errno != 0 ? errno : 101);
}

int TextFile::get()
{
    if (file_ == nullptr || writing_)
        return EOF;
    errno = 0;
    int c = std::fgetc(file_);
    if (c == EOF && std::ferror(file_) && read_error_ == 0)
        read_error_ = errno != 0 ? errno : 100;
    return c;
}

int TextFile::peek()
{
    int c = get();
    if (c != EOF)
        std::ungetc(c, file_);
    return c;
}

bool TextFile::at_eof() { return peek() == EOF; }

} // namespace console
