// Basis-set lists: the two-dimensional basis sets (zones) an LZON run found
// most promising, in "<Dset>.LZB", from which the merit map may start.
#pragma once

#include <string>

#include "dataset/dataset.hpp"

namespace console {
class Console;
}
namespace control {
struct Session;
}
namespace console {
class TextFile;
}

namespace indexing {

inline constexpr int max_basis_sets = 20;

// One basis set as the list reports it.
struct BasisSetEntry {
    double qa = 0.0, qb = 0.0, qc = 0.0, qf = 0.0;  // QU.
    int i20 = 0;
    std::string m20;   // 8 characters as read
    int nsol = 0;      // number of solutions
    int lzon_no = 0;
};

// The chosen set: Q(A), Q(B), Q(C), Q(D) = 0, Q(E) = 0, Q(F) in rows 1..6.
struct BasisSet {
    int seq = 0;
    dataset::CellRow q{};
};

enum class BasisField { none, qa, qb, qc, qf, i20, m20, nsol, lzon_no };
const char* basis_field_name(BasisField f);

// Reads the basis set on the line at the file position and moves to the
// next line; returns the first field that failed, or none.
BasisField read_basis_set(console::Console& con, console::TextFile& f, BasisSetEntry& entry);
std::string basis_set_row(int seq, const BasisSetEntry& entry);
inline constexpr const char* basis_set_header =
    "Seq     Q[A]      Q[B]      Q[C]      Q[F]   I20    M20    Nsol  LzonNo";

// Lists the dataset's basis-set list and lets the user choose a set. False
// when the user quits or the file is missing, empty or unusable.
bool load_basis_set(control::Session& s, BasisSet& chosen);

} // namespace indexing
