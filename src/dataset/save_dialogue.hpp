// Steps shared by the dataset save dialogue and the Powder CIF dialogue.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace control {
struct Session;
}

namespace dataset {

// With no observed pattern: the warning and "proceed?" question; true to go on.
bool confirm_without_pattern(control::Session& s);
// On the NT family the screen is cleared and four blank lines follow.
void clear_for_nt(control::Session& s);

// The defaults of a save: with a name-append request outstanding the name and
// title carry the appends (cut to fit) and the hint word is "use".
struct SaveDefaults {
    bool appending = false;
    std::string name;
    std::string title;
    std::string hint;  // "use" or "repeat"
};
SaveDefaults save_defaults(const control::Session& s);

// The texts of one name loop.
struct NameLoopTexts {
    std::string exists_question;  // asked when the file exists
    std::string overwrite_ok;     // shown behind Y
    std::string creating;         // + name, for a new file
};

// Asks for the name until it is "*Q" (then false, after the "Not saved"
// line) or a name whose file may be written; `path_of` builds the file name.
bool ask_save_name(control::Session& s, const SaveDefaults& defaults, const NameLoopTexts& texts,
                   const std::function<std::string(const std::string&)>& path_of,
                   std::string& name, std::string& path);

// The title dialogue: help lines, the field editor limited to `limit`
// characters starting from `initial`; the result, with double quotes made
// apostrophes, becomes the dataset's title.
void title_dialogue(control::Session& s, int limit, const std::string& initial);

} // namespace dataset
