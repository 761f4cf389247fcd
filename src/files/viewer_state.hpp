// State of the file viewer between calls.
#pragma once

#include <string>

namespace files {

struct ViewerState {
    std::string selection = "  ";      // remembered selection code, reset at each prompt
    std::string editor;                // text editor started on a chosen file ("": the user's default)
    bool editor_failed = false;        // ask for another editor after a failed launch
};

} // namespace files
