// The help pages and how each is written to its channels.
#pragma once

#include <initializer_list>
#include <string_view>

#include "console/sink.hpp"

namespace control {
struct Session;
}

namespace files::help {

// A page writes its text to one channel: the screen or the copy file.
using Page = void (*)(control::Session& s, console::Sink& out);

// Shows the page on a fresh screen, then repeats it to each selected copy
// channel, then the end-of-report notices.
void show_page(control::Session& s, Page page);

// Between two screens of a page: "(continued in screen n)"; on the screen
// also the pause and a fresh screen.
void next_screen(control::Session& s, console::Sink& out, int n);

// Ends a partly written line, then clears the screen.
void fresh_screen(control::Session& s);

void write_lines(console::Sink& out, std::initializer_list<std::string_view> lines);

// The pages.
void general_page(control::Session& s, console::Sink& out);
void indexing_page(control::Session& s, console::Sink& out);
void format_page(control::Session& s, console::Sink& out);
// The commands section: the choice of list formats, repeated until Q.
void commands_section(control::Session& s);

} // namespace files::help
