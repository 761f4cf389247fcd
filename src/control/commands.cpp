// The command table, in the order of dispatch.
#include "control/commands.hpp"

#include <array>

#include "calibration/commands.hpp"
#include "cell/commands.hpp"
#include "console/channels.hpp"
#include "control/control_commands.hpp"
#include "control/output.hpp"
#include "dataset/commands.hpp"
#include "files/commands.hpp"
#include "indexing/commands.hpp"
#include "pattern/commands.hpp"
#include "rivi/commands.hpp"

namespace control {

namespace {

constexpr std::array<Command, 46> table{{
    {"OB", pattern::OB, Extra::none},        // observed pattern from the keyboard
    {"CE", cell::CE, Extra::none},           // cell data
    {"ZE", pattern::ZE, Extra::none},        // zero correction
    {"WA", pattern::WA, Extra::none},        // wavelength
    {"QM", pattern::QM, Extra::none},        // Qmax
    {"AB", pattern::AB, Extra::none},        // absences flag
    {"HL", pattern::HL, Extra::none},        // index limits
    {"CA", cell::CA, Extra::none},           // calculated pattern and comparison
    {"MM", nullptr, Extra::map_mm},          // merit map
    {"M1", nullptr, Extra::map_m1},          // map thumbnails
    {"M3", nullptr, Extra::map_m3},          // three principal sections
    {"HM", nullptr, Extra::map_hm},          // heuristic map
    {"QA", rivi::QA, Extra::none},           // primary Q(A) row scan
    {"CD", dataset::CD, Extra::none},        // change directory
    {"DR", dataset::CD, Extra::none},
    {"PR", console::PR, Extra::blank_if_no_obs}, // printer toggle
    {"OF", console::OF, Extra::blank_if_no_obs}, // copy-file toggle
    {"LO", dataset::LO, Extra::none},        // load a dataset
    {"IM", dataset::IM, Extra::none},        // import a peak list
    {"LC", indexing::LC, Extra::none},       // load a cell from a summary file
    {"SA", dataset::SA, Extra::none},        // save
    {"PS", dataset::PS, Extra::none},        // pattern separation
    {"IN", indexing::IN, Extra::hand_over},  // indexing run
    {"DI", indexing::DI, Extra::hand_over},  // direct-indexing run
    {"ED", pattern::ED, Extra::none},        // pattern editor
    {"QC", pattern::QC, Extra::none},        // Qcalc for given indices
    {"LI", pattern::LI, Extra::none},        // list the observed pattern
    {"EF", console::EF, Extra::none},        // end-of-file mark in the copy
    {"HE", files::HE, Extra::none},          // help
    {"?", files::HE, Extra::none},
    {"TR", pattern::TR, Extra::none},        // linear 2Theta transformation
    {"SC", calibration::self_calibrate, Extra::none}, // self-calibration
    {"HO", pattern::HO, Extra::none},        // harmonics
    {"ZT", pattern::ZT, Extra::none},        // zone transformations
    {"RS", pattern::RS, Extra::none},        // rescale
    {"MS", indexing::MS, Extra::none},       // modify summary files
    {"EP", pattern::EP, Extra::none},        // extend the pattern
    {"PE", rivi::PE, Extra::none},           // ab initio testbed
    {"RU", RU, Extra::none},                 // operating-system command
    {"VF", files::VF, Extra::none},       // view a file
    {"VM", files::VM, Extra::none},       // view the manual
    {"VE", VE, Extra::none},                 // version and directories
    {"QU", nullptr, Extra::quit},
    {"EN", nullptr, Extra::quit},
    {"EX", nullptr, Extra::quit},
    {"BY", nullptr, Extra::quit},
}};

} // namespace

std::span<const Command> command_table() { return table; }

const Command* find_command(std::string_view code)
{
    for (const Command& c : table)
        if (c.code == code)
            return &c;
    return nullptr;
}

} // namespace control
