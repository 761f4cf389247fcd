// The reply editor: a reply typed on a terminal can be corrected before ENTER,
// and the command prompt remembers the commands of this run.
#include "console/reply_editor.hpp"

#include <algorithm>

#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/utilities.hpp"

namespace console {

namespace {

constexpr int longest_reply = 255;
constexpr int up = 256 + 72, down = 256 + 80;
constexpr int ctrl_d = 4;

// Steps through the history from the newest entry back; below the newest
// is the reply being typed, kept while the user looks back.
class Browser {
public:
    explicit Browser(History* history)
        : history_(history), index_(history != nullptr ? history->size() : 0)
    {
    }

    // The text to show for Up (step -1) or Down (step +1), or false when
    // there is nothing further that way.
    bool step(int direction, const std::string& typed, std::string& shown)
    {
        if (history_ == nullptr)
            return false;
        const std::size_t newest = history_->size();
        if (direction < 0 && index_ == 0)
            return false;
        if (direction > 0 && index_ == newest)
            return false;
        if (index_ == newest)
            draft_ = typed;
        index_ = direction < 0 ? index_ - 1 : index_ + 1;
        shown = index_ == newest ? draft_ : history_->at(index_);
        return true;
    }

private:
    History* history_;
    std::size_t index_;
    std::string draft_;
};

} // namespace

void History::add(std::string_view reply)
{
    if (reply.find_first_not_of(' ') == std::string_view::npos)
        return;
    if (!entries_.empty() && entries_.back() == reply)
        return;
    if (entries_.size() == capacity)
        entries_.erase(entries_.begin());
    entries_.emplace_back(reply);
}

std::string edit_reply(Console& con, History* history)
{
    const int column = std::min(con.where_x(), Console::columns);
    // Columns of the row the field may use; the last one stays free for the
    // cursor behind a full row.
    const int span = std::max(1, Console::columns - column);
    Field field(longest_reply, "");
    Browser browser(history);
    int offset = 0;  // field positions scrolled out to the left

    auto draw = [&] {
        const int cursor = field.cursor();
        if (cursor - 1 < offset)
            offset = cursor - 1;
        if (cursor - offset > span)
            offset = cursor - span;
        std::string text(field.visible().substr(static_cast<std::size_t>(offset),
                                                static_cast<std::size_t>(span)));
        con.show_field(column, trim_right(text), column + cursor - 1 - offset);
    };

    con.hold_keys(true);
    try {
        draw();
        for (;;) {
            int key = con.read_key();
            if (key == 0)
                key = 256 + con.read_key();
            if (key == ctrl_d && field.result().empty())
                throw InputEnded{0};
            if (key == up || key == down) {
                std::string shown;
                if (browser.step(key == up ? -1 : 1, field.result(), shown))
                    field.set_text(shown);
            } else if (con.input_ended() || !field.apply(key)) {
                break;
            }
            draw();
        }
    } catch (...) {
        con.release_keys();
        throw;
    }
    con.release_keys();
    if (con.input_ended())
        throw InputEnded{0};

    // The reply as accepted, whole, and the cursor behind it.
    const std::string reply = field.result();
    con.show_field(column, reply, std::min(column + static_cast<int>(reply.size()),
                                           Console::columns + 1));
    if (history != nullptr)
        history->add(reply);
    return reply;
}

} // namespace console
