// The file viewer, the directory listing and the help pages.
#pragma once

#include <string>
#include <string_view>

namespace control {
struct Session;
}

namespace files {

void VF(control::Session& s);   // view a file
void VM(control::Session& s);   // view the manual
void HE(control::Session& s);   // help pages (also "?")

// The sorted listing of the files in `dir` ("" = the current directory)
// matching `pattern` + "." + `extension` (e.g. "*", "CDT"), under the heading
// "Drive / directory information followed by listing of " + heading.
void list_directory(control::Session& s, std::string_view heading, const std::string& dir,
                    std::string_view pattern, std::string_view extension);

// Steps after the heading: the line naming the directory and pattern, the
// sorted names five to a line, the "(No files found ...)" and "array full" lines. Used by callers
// that write their own heading (LO, CD, LC).
void list_files(control::Session& s, const std::string& dir, std::string_view pattern,
                std::string_view extension);

// The indexing-program advice pages, also offered by IN.
void indexing_help(control::Session& s);

} // namespace files
