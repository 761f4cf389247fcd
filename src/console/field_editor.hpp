// The one-line field editor for titles and similar texts, and the edited
// text under it that the reply editor shares.
#pragma once

#include <string>
#include <string_view>

namespace console {

class Console;

// A field's text and cursor, and the keystrokes that change them: cursor and
// word keys, insert/overwrite, delete, one-level undo and ESC for the
// starting text. Positions are 1-based; the field holds `width` characters.
class Field {
public:
    Field(int width, std::string starting);

    // Applies one key (a character code, or 256 + the scan code of an
    // extended key); false when the key accepts the field.
    bool apply(int key);
    // Replaces the text, the cursor behind it (a reply taken from a history).
    void set_text(std::string_view text);

    int width() const { return width_; }
    int cursor() const { return cursor_; }
    std::string_view visible() const { return std::string_view(buffer_).substr(0, width_); }
    // The text without trailing blanks.
    std::string result() const;

private:
    char& at(int p) { return buffer_[static_cast<std::size_t>(p - 1)]; }
    char at(int p) const { return buffer_[static_cast<std::size_t>(p - 1)]; }
    int text_end() const;
    void load(std::string_view text);
    void delete_at_cursor();
    void type(char c);
    void go_to_end();
    void word_left();
    void word_right();
    void delete_word();

    int width_;
    std::string starting_;
    std::string buffer_;
    int cursor_ = 1;
    bool insert_mode_ = true;
    std::string undo_buffer_;
    int undo_cursor_ = 1;
    bool have_undo_ = false;
};

// Edits `initial` in a field of at most `width` characters whose first
// character stands at `column`, `row` (1-based screen position), optionally
// under a column ruler and between bars. Returns the text without trailing
// blanks.
std::string edit_line(Console& con, int column, int row, int width, std::string_view initial,
                      bool show_ruler, bool framed);

} // namespace console
