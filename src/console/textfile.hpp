// A text file opened for reading or writing. Written lines end with CR LF;
// reading accepts LF and CR LF. A write error is kept as an errno value.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "console/sink.hpp"

namespace console {

class TextFile : public console::Sink {
public:
    TextFile() = default;
    ~TextFile() override;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Each returns 0 on success, else the errno value.
    int open_read(const std::string& path);
    int open_append(const std::string& path);
    int open_create(const std::string& path);
    // Writes to a new temporary file beside `path`; commit() renames it over
    // `path` only when every write succeeded, so a failed save never destroys
    // the file it replaces. A `path` that is a symbolic link is followed: the
    // file it names is replaced, the link stays. The replacement keeps the old
    // file's permission bits. A directory is refused (EISDIR); a device or a
    // pipe is written to directly. Stale temporaries of earlier runs in that
    // directory are removed first.
    int open_replace(const std::string& path);
    int commit();
    void close();  // a replaced file not committed is discarded

    // What a failed commit leaves behind, for its report.
    enum class Target { direct, new_file, existing_file };
    Target target() const { return target_; }

    bool is_open() const { return file_ != nullptr; }
    bool for_output() const { return writing_; }
    const std::string& path() const { return path_; }

    // ---- writing ----
    void put(std::string_view text) override;
    void endl() override;
    void flush();
    int error() const { return error_; }  // first write error, 0 if none
    // Writes that failed so far and the error of the last of them: a writer
    // compares the count before and after its own write.
    int failed_writes() const { return failed_writes_; }
    int last_error() const { return last_error_; }
    void clear_error() { error_ = 0; last_error_ = 0; failed_writes_ = 0; }

    // ---- reading ----
    int get();   // next byte or EOF
    int peek();
    bool at_eof();
    int read_error() const { return read_error_; }  // errno of a failed read, 0 if none

private:
    int open_file(const std::string& path, const char* mode, bool writing, int fallback_error);
    int open_direct(const std::string& path, const std::string& target);
    // Takes the stream just opened as this file's, named `path`.
    void adopt(std::FILE* f, const std::string& path, bool writing, Target target);
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string temp_path_;    // the temporary of a replacement, "" otherwise
    std::string target_path_;  // what it is renamed over: the link followed
    Target target_ = Target::direct;
    bool writing_ = false;
    int error_ = 0;
    int last_error_ = 0;
    int failed_writes_ = 0;
    int read_error_ = 0;

    void write_failed(int code);
};

// Temporary files of replacements are named "." + the target's name +
// ".latticor-" + process id + "-" + six random letters or digits.
std::string temporary_name(const std::string& target_name, long pid, const std::string& suffix);
// The process id in such a name, or -1 when the name is not one of ours.
long temporary_owner(const std::string& name);
// Removes, from `dir`, the temporaries of ours that a run ended by force left
// behind: regular files of this user, written before this process started,
// whose process is gone. Returns how many were removed.
int remove_stale_temporaries(const std::string& dir);

} // namespace console
