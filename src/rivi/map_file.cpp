// The optional comma-delimited copy of a merit map's values.
#include "console/format.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "rivi/map_engine.hpp"

namespace rivi {

std::string MapFile::name(const control::Session& s)
{
    return console::squeeze_upper(s.ds.Dset) + "." + s.maps.fom.Mchar + "MP";
}

bool MapFile::open()
{
    const MapGrid& g = s_.maps.settings.grid;
    row_.reserve(static_cast<std::size_t>((g.cmax - g.cmin + 1) * g.k) * 8 + 16);
    return dataset::open_new(s_.con, file_, name(s_));
}

void MapFile::value(double v, bool last_in_row)
{
    if (!file_.is_open())
        return;
    row_ += console::real_text(v, 7, 3);
    if (!last_in_row)
        row_ += ',';
}

void MapFile::end_row()
{
    if (file_.is_open() && !dataset::wr_str(s_.con, file_, row_, 1))
        file_.close();
    row_.clear();
}

} // namespace rivi
