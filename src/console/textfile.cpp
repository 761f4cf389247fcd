// Text files with CR LF line ends and write-error capture.
#include "console/textfile.hpp"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "console/platform.hpp"

namespace console {

TextFile::~TextFile() { close(); }

int TextFile::open_file(const std::string& path, const char* mode, bool writing,
                        int fallback_error)
{
    close();
    std::string real = console::resolve_path(path);
    errno = 0;
    file_ = std::fopen(real.c_str(), mode);
    if (file_ == nullptr)
        return errno != 0 ? errno : fallback_error;
    path_ = path;
    writing_ = writing;
    clear_error();
    read_error_ = 0;
    return 0;
}

int TextFile::open_read(const std::string& path) { return open_file(path, "rb", false, 2); }

int TextFile::open_append(const std::string& path) { return open_file(path, "ab", true, 5); }

int TextFile::open_create(const std::string& path) { return open_file(path, "wb", true, 5); }

int TextFile::open_replace(const std::string& path)
{
    close();
    std::string real = console::resolve_path(path);
    std::string temp = real + ".tmp" + std::to_string(::getpid());
    file_ = std::fopen(temp.c_str(), "wb");
    if (file_ == nullptr)
        return errno != 0 ? errno : 5;
    path_ = path;
    temp_path_ = temp;
    writing_ = true;
    clear_error();
    return 0;
}

int TextFile::commit()
{
    if (file_ == nullptr)
        return 103;
    flush();
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
        std::remove(temp.c_str());
        return error_;
    }
    if (std::rename(temp.c_str(), console::resolve_path(path_).c_str()) != 0) {
        error_ = errno != 0 ? errno : 101;
        std::remove(temp.c_str());
    }
    return error_;
}

void TextFile::close()
{
    if (file_ == nullptr)
        return;
    if (!temp_path_.empty()) {
        std::fclose(file_);
        std::remove(temp_path_.c_str());
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
