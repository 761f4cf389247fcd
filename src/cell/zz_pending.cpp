// TEMPORARY stand-in for routines of other subsystems that are not on main
// yet, so that the cell code links and runs. Remove each as soon as the real
// one arrives.
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "pattern/commands.hpp"

namespace console {

// TEMPORARY stand-in.
void open_copy(control::Session& s, std::string_view name)
{
    if (s.out.copy.is_open() && squeeze_upper(name) != squeeze_upper(s.out.copy_name))
        s.out.copy.close();
    if (!s.out.copy.is_open())
        s.out.copy.open_append(s.ds.data_dir + squeeze_upper(name) + ".LXO");
    s.out.copy_name = std::string(name);
}

// TEMPORARY stand-in.
bool ensure_copy_open(control::Session& s)
{
    if ((s.con.output_code & 2) == 0)
        return false;
    if (!s.out.copy.is_open() || squeeze_upper(s.out.copy_name) != squeeze_upper(s.ds.Dset))
        open_copy(s, s.ds.Dset);
    return s.out.copy.is_open();
}

// TEMPORARY stand-in.
void printing_notice(Console& con) { con.line("** Printing is not supported **"); }

// TEMPORARY stand-in.
bool open_log_file(control::Session& s, std::string_view name)
{
    if (!s.out.log.is_open())
        s.out.log.open_append(s.ds.data_dir + squeeze_upper(name) + ".LOG");
    return s.out.log.is_open();
}

} // namespace console

namespace pattern {

// TEMPORARY stand-in: only the arithmetic of the transformation.
void apply_transformation(control::Session& s, double k, double z)
{
    s.ds.Z2Th += z;
    s.ds.Dflag = 1;
    for (int i = 1; i <= s.ds.Nobs; ++i)
        s.ds.OT[i] *= k;
}

} // namespace pattern
