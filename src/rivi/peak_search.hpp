// The peaks of a merit map: the search over three buffered rows during the
// scan, the list of the 100 highest, its sorts and the duplicates that
// refinement leaves.
#pragma once

#include <vector>

#include "rivi/map_state.hpp"

namespace rivi {

// Adds a peak found at (x, y) with value v: appended while fewer than 100
// are held; then it replaces the smallest (the first on ties) only when v
// is strictly greater.
void add_peak(PeakList& list, double x, double y, double v);

// The three-row buffer of a map: for each column position 1..positions the
// values of the rows r-2, r-1 and r, with 0 outside the row and above the
// map. Sized once per map.
class PeakSearch {
public:
    // `tested` positions (1..tested) may hold peaks; the others serve only
    // as neighbours.
    PeakSearch(int positions, int tested);
    // The value of the newest row at a column position (1-based).
    void store(int position, double v) { rows_[2][position] = v; }
    // After row r: tests row r - 1 (nothing after the first row) and shifts.
    void end_row(int r, PeakList& list);
    // After the last row r: tests it against the rows above only.
    void finish(int r, PeakList& list);

private:
    void test_row(int r, bool below, PeakList& list);
    void shift();

    int tested_;
    bool first_ = true;
    std::vector<double> rows_[3];  // positions 0..positions+1
};

// Turns column positions and row indices into coordinates on the grid,
// numbers each peak (oldseq) and sorts the list on the raw value, so that
// oldseq is each peak's raw rank.
void finish_peak_list(PeakList& list, const MapGrid& g);

// Shell sort, descending on the raw value (column 3; oldseq stays in place)
// or on the refined value (column 4; oldseq moves with its peak).
void sort_peaks(PeakList& list, int column);

// The refined-value tolerance factor: 1.0 for Ir, 1.5 for M1, 2.0 for Pr.
double duplicate_weight(char mchar);
// Two refined peaks that stand for the same solution.
bool duplicates(const MapPeak& a, const MapPeak& b, double w);
// Puts the better raw rank first in every duplicate pair; returns the
// number of duplicates found.
int find_duplicates(PeakList& list, double w);
// Removes duplicates, the peak with the best raw rank of each group taking
// the place of the first; returns the number removed.
int remove_duplicates(PeakList& list, double w);

// When two refined peaks count as one: refined values closer than
// `fom_tolerance` and both coordinates closer than `coordinate_tolerance`;
// with `crosswise` also when x of one matches y of the other and the
// reverse (a zone scanned over two equivalent axes).
struct PeakCloseness {
    double fom_tolerance = 0.0;
    double coordinate_tolerance = 0.0;
    bool crosswise = false;
};
bool close_peaks(const MapPeak& a, const MapPeak& b, const PeakCloseness& rule);
// The duplicates' rule: refined values within 0.02 w, coordinates within 0.02.
PeakCloseness duplicate_rule(double w, bool crosswise = false);
// Peak i taken out of the list, the later ones moving up.
void remove_peak(PeakList& list, int i);
// remove_duplicates under any closeness rule; returns the number removed.
int merge_close_peaks(PeakList& list, const PeakCloseness& rule);

} // namespace rivi
