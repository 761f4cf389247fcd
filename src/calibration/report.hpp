// The displays of self-calibration: histogram, list of pairs, mean and esd.
#pragma once

#include "calibration/pairs.hpp"

namespace console {
class Console;
class Sink;
}

namespace calibration {

void write_histogram(console::Sink& out, Mode mode, const LinePairs& pairs);
// The list of pairs with the current zero correction z2th; the screen form
// (with `pager_console`) pages after every 22 lines.
void write_pair_list(console::Sink& out, console::Console* pager_console, Mode mode,
                     const LinePairs& pairs, const dataset::Dataset& ds);
void write_mean(console::Sink& out, Mode mode, const LinePairs& pairs, double z2th);

} // namespace calibration
