// Replies typed on a terminal: the field editor on the rest of the question's
// row, and the history of the command prompt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace console {

class Console;

// The commands typed in this run, oldest first.
class History {
public:
    static constexpr std::size_t capacity = 100;

    // Keeps a non-blank reply, unless it repeats the newest one; the oldest
    // goes when the history is full.
    void add(std::string_view reply);
    std::size_t size() const { return entries_.size(); }
    const std::string& at(std::size_t i) const { return entries_[i]; }

private:
    std::vector<std::string> entries_;
};

// Reads one reply on a terminal with the field editor, starting empty at the
// cursor and running to the end of the row (longer replies scroll within
// it); ENTER accepts. With a history, Up and Down step through it. Ctrl-D
// on an empty field is the end of input. The cursor stays behind the reply.
std::string edit_reply(Console& con, History* history);

} // namespace console
