// The command table: every code the prompt accepts, its handler, and what
// the command loop does around it.
#pragma once

#include <span>
#include <string_view>

namespace control {

struct Session;

using Handler = void (*)(Session&);

// What the loop adds around a handler.
enum class Extra {
    none,
    blank_if_no_obs,  // PR, OF: one empty line afterwards without an observed pattern
    map_mm,           // MM, M1, M3, HM: the map flags set before the call
    map_m1,
    map_m3,
    map_hm,
    hand_over,        // IN, DI: end the run when exit_for_run is set
    quit,             // QU, EN, EX, BY
};

struct Command {
    std::string_view code;
    Handler handler;  // nullptr: not built, answers " ** UNDEFINED **"
    Extra extra;
};

// Accepted at the prompt when the reply occurs anywhere in this text ("PE" and
// "QU" stand together as "PEQU").
inline constexpr std::string_view accepted_codes =
    "OB,CE,ZE,WA,QM,AB,HL,CA,HM,MM,M1,M3,CD,DR,PR,OF,LO,IM,EP,LC,SA,PS,IN,DI,ED,QC,LI,"
    "EF,HE,?,TR,SC,HO,ZT,RS,MS,RU,VF,VE,VM,QA,PEQU,BY,EN,EX";

std::span<const Command> command_table();

// The row for a code by exact comparison, or nullptr.
const Command* find_command(std::string_view code);

} // namespace control
