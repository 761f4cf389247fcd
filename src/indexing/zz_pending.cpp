// TEMPORARY stand-in definitions of routines other subsystems are building,
// so that the indexing commands link and can be tried meanwhile. Each goes
// as soon as the real one lands on main. Nothing in the tests relies on
// what these print.
#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

// TEMPORARY stand-in
namespace cell {
bool cell_from_direct(dataset::Dataset&) { return true; }
void expand_direct_cell(control::Session& s)
{
    s.ds.Ctype = 1;
    s.con.line("(cell expanded)");
}
void automatic_limits(const dataset::Dataset&, dataset::IndexRow& limits) { limits.fill(0); }
} // namespace cell

// TEMPORARY stand-in
namespace pattern {
void revise_pattern(control::Session&) {}
} // namespace pattern
