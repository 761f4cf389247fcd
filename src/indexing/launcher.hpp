// The steps of IN shared between its source files.
#pragma once

#include <string>

#include "indexing/qdat.hpp"

namespace control {
struct Session;
}

namespace indexing::launch {

// Questions asked before the line count; false ends IN.
bool mcmaille_warning(control::Session& s);
bool loshfzrf_ready(control::Session& s);

// The line count; for LZON the dichotomy count.
int ask_line_count(control::Session& s, const Program& prog);

// The program-specific questions after the line count, in order; false when
// the user leaves IN (X in the DICVOL menu).
bool program_questions(control::Session& s, RunParameters& p);

// The text of the "Special ... parameters" log entry, one line per element
// joined by line ends ("(none)" when the program takes none).
std::string parameter_summary(const RunParameters& p);

} // namespace indexing::launch
