// Cell representations: direct, reciprocal, powder constants (Q-form) and
// Delaunay constants, with the full cell display.
#pragma once

#include <array>

#include "dataset/dataset.hpp"

namespace console {
class Sink;
}
namespace control {
struct Session;
}

namespace cell {

// The rows a powder-constants conversion derives, held apart from the working
// cell: the merit maps convert their trial cells into one of these so that a
// trial never disturbs the working cell.
struct DerivedCell {
    dataset::CellRow RR{}, RSC{}, DD{}, DSC{}, PP{};
    std::array<double, 4> Q2A{};
    double V = 0.0, Vstar = 0.0;
};

// Each fills the other representations of the cell block; V = 0 marks failure.
bool cell_from_direct(dataset::Dataset& ds);
// From six powder constants (not copied into QQ); on failure the direct and
// reciprocal rows are left unchanged.
bool cell_from_powder_constants(dataset::Dataset& ds, const dataset::CellRow& q);
bool cell_from_powder_constants(DerivedCell& c, const dataset::CellRow& q);
bool cell_from_delaunay(dataset::Dataset& ds);
void cell_volume(dataset::Dataset& ds);
// Q2A from the reciprocal sides.
void compute_q2a(dataset::Dataset& ds);

double AtoQstar(control::Session& s, int axis, double angle);
double QtoAstar(control::Session& s, int axis, double qangle);
double QtoAnglestar(control::Session& s, double qside1, double qside2, double qangle);

// The full cell display (CELLDAT); `copy_form` adds the heading line and the
// closing form feed of the copy channels.
void show_cell(control::Session& s, console::Sink& out, bool copy_form);

} // namespace cell
