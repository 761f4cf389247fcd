// The optional comma-delimited copy of a merit map's values.
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "rivi/map_engine.hpp"

namespace rivi {

std::string MapFile::name(const control::Session& s)
{
    return console::squeeze_upper(s.ds.Dset) + "." + s.maps.fom.Mchar + "MP";
}

bool MapFile::open() { return dataset::open_new(s_.con, file_, name(s_)); }

void MapFile::value(double v, bool last_in_row)
{
    if (!file_.is_open())
        return;
    bool ok = dataset::wr_dbl(s_.con, file_, v, 7, 3, 0);
    if (ok && !last_in_row)
        ok = dataset::wr_str(s_.con, file_, ",", 0);
    if (!ok)
        file_.close();
}

void MapFile::end_row()
{
    if (file_.is_open() && !dataset::wr_str(s_.con, file_, "", 1))
        file_.close();
}

} // namespace rivi
