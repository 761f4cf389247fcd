// ZT: transformations of the cell given as powder constants of an hk0 zone.
#pragma once

#include "dataset/dataset.hpp"

namespace pattern {

// The powder constants after the transformation `choice`: A (a doubled),
// B (b doubled), C (centred: Q(D), Q(E) zeroed) or D (a and b doubled).
dataset::CellRow transform_zone(const dataset::CellRow& q, char choice);

} // namespace pattern
