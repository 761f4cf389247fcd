// Output targets for reports: the screen and the text files a report is
// repeated to. Each target knows its own line end.
#pragma once

#include <string_view>

namespace console {

class Sink {
public:
    virtual ~Sink() = default;
    virtual void put(std::string_view text) = 0;  // text, no line end
    virtual void endl() = 0;                      // one line end
    virtual bool is_screen() const { return false; }

    void line(std::string_view text) { put(text); endl(); }
    void lines(int n) { for (int i = 0; i < n; ++i) endl(); }
};

} // namespace console
