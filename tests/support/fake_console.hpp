// A console over strings: replies come from a script, the screen is captured.
#pragma once

#include <memory>
#include <string>

#include "console/console.hpp"
#include "control/session.hpp"

namespace testing_support {

class StringBackend : public console::Backend {
public:
    explicit StringBackend(std::string input, bool terminal = false)
        : input_(std::move(input)), terminal_(terminal)
    {
    }
    bool output_is_terminal() const override { return terminal_; }
    bool input_is_terminal() const override { return terminal_; }
    void write(std::string_view bytes) override { output.append(bytes); }
    void flush() override {}
    int read_byte(int) override
    {
        if (pos_ >= input_.size())
            return eof;
        return static_cast<unsigned char>(input_[pos_++]);
    }
    void raw_mode(bool on) override { raw = on; }
    void discard_input() override {}

    // A new script, the screen captured so far dropped.
    void reset(std::string input)
    {
        input_ = std::move(input);
        pos_ = 0;
        output.clear();
    }

    std::string output;
    bool raw = false;  // the terminal's raw mode, as last switched

private:
    std::string input_;
    std::size_t pos_ = 0;
    bool terminal_;
};

// A console alone over a script: for the console layer's own tests.
struct FakeConsole {
    explicit FakeConsole(std::string input = "", bool terminal = false)
        : backend(std::move(input), terminal), con(backend)
    {
    }
    const std::string& screen() const { return backend.output; }

    StringBackend backend;
    console::Console con;
};

// A text file stand-in: what a report wrote, "\n" for each line end.
struct StringSink : console::Sink {
    void put(std::string_view t) override { text.append(t); }
    void endl() override { text += '\n'; }
    std::string text;
};

// A whole session driven by a script of replies.
struct FakeSession {
    explicit FakeSession(std::string input = "", bool terminal = false)
        : backend(std::move(input), terminal), con(backend), s(con)
    {
    }
    const std::string& screen() const { return backend.output; }
    void clear_screen_text() { backend.output.clear(); }

    StringBackend backend;
    console::Console con;
    control::Session s;
};

} // namespace testing_support
