// Pieces of the full cell display that the cell command shows on their own.
#pragma once

#include <string>

#include "console/sink.hpp"
#include "dataset/dataset.hpp"

namespace cell {

// The two direct-cell lines and the blank line after them.
void direct_cell_lines(console::Sink& out, const dataset::Dataset& ds);
// Column heads over the powder constants and the Delaunay constants.
std::string powder_constant_header();
std::string delaunay_header();
// The header and value lines of the powder constants.
void powder_constant_lines(console::Sink& out, const dataset::Dataset& ds);
// The header and value lines of the Delaunay constants.
void delaunay_lines(console::Sink& out, const dataset::Dataset& ds);

} // namespace cell
