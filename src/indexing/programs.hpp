// The external indexing programs and the internal maps, by two-letter code.
#pragma once

#include <string_view>

namespace indexing {

struct Program {
    std::string_view code;          // as typed: "IT", "D1", ...
    std::string_view family;        // the program's own code: "DV" for D1 and D2
    std::string_view name;          // shown and logged: "ITO12"
    std::string_view confirmation;  // " = ITO"
    std::string_view earlier_ext;   // output extension of an earlier run, "" if none
    std::string_view selector;      // six characters of the QDAT parameter line
    int suggested_max;              // lines
    int minimum;                    // recommended least number of lines
};

// The row for a code, or nullptr.
const Program* find_program(std::string_view code);

// The codes in the order their earlier outputs are reported.
inline constexpr std::string_view earlier_run_codes[] = {
    "TP", "D1", "D2", "DV", "IT", "FJ", "TR", "KL", "LZ", "LS", "MC", "MM", "HM"};

// Which parameters a program takes (by family).
bool uses_del2th(const Program& p);
bool uses_volmax(const Program& p);
bool uses_nspuri(const Program& p);
bool is_map(const Program& p);  // MM or HM: no QDAT file

// Default 2Theta error bound: 0.03 DICVOL, 0.04 TAUP, 0.06 LZON and
// LOSHFZRF, otherwise the run-wide setting.
double default_del2th(const Program& p, double setting);

} // namespace indexing
