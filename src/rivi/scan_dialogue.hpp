// The dialogues of the ab initio scans and the testbed's questions they
// share: the common opening, the scan options, and checked replies.
#pragma once

#include <functional>
#include <string>

#include "rivi/abinitio.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}

namespace rivi {

// A number asked again, after the message `check` returns, until `check`
// returns nothing; ENTER takes the default (echoed with `decimals`).
double ask_checked(console::Console& con, const std::string& prompt, double def, int decimals,
                   const std::function<std::string(double)>& check);

// The title (when given), the lines to use, the figure of merit and, for
// Pr, Pmin. False, after saying so, when there is no observed pattern.
bool scan_opening(control::Session& s, const std::string& title, ScanSettings& ss);

// The dialogues of testbed functions 1, 2, 3 and 17, and 4.
void row_scan_dialogue(control::Session& s);
void z2th_scan_dialogue(control::Session& s);
void rect_scan_dialogue(control::Session& s, bool row_buffer);
void gamma_scan_dialogue(control::Session& s);

// Functions 12 (a scan of Z2Th, each point refined) and 13 (one refinement)
// of Q(A) and Z2Th from a raw Q(A) value.
void raw_qa_refinement(control::Session& s, bool scan_z2th);

} // namespace rivi
