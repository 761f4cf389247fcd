// Until the FM report is built, testbed function 11 answers as a command
// without a handler does. A weak definition: the report's own replaces it.
#include "console/console.hpp"
#include "control/session.hpp"
#include "rivi/testbed.hpp"

namespace rivi {

__attribute__((weak)) void fm_report(control::Session& s) { s.con.line(" ** UNDEFINED **"); }

} // namespace rivi
