// The merit-map dialogue is not built yet: the call point answers as the
// command loop does for a command without a handler, and decides nothing.
#include "rivi/map_dialogue.hpp"

#include "console/console.hpp"
#include "control/session.hpp"

namespace rivi {

void map_command(control::Session& s) { s.con.line(" ** UNDEFINED **"); }

} // namespace rivi
