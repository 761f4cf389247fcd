// Peak search during the scan, the peak list and its duplicates.
#include "rivi/peak_search.hpp"

#include <cmath>
#include <utility>

namespace rivi {

void add_peak(PeakList& list, double x, double y, double v)
{
    if (!list.full) {
        list.peaks[++list.n] = MapPeak{x, y, v, 0.0};
        list.full = list.n == dataset::max_peaks;
        return;
    }
    int smallest = 1;
    for (int i = 2; i <= list.n; ++i)
        if (list.peaks[i].raw < list.peaks[smallest].raw)
            smallest = i;
    if (v > list.peaks[smallest].raw)
        list.peaks[smallest] = MapPeak{x, y, v, 0.0};
}

PeakSearch::PeakSearch(int positions, int tested) : tested_(tested)
{
    for (auto& row : rows_)
        row.assign(static_cast<std::size_t>(positions) + 2, 0.0);
}

void PeakSearch::shift()
{
    std::swap(rows_[0], rows_[1]);
    std::swap(rows_[1], rows_[2]);
    std::fill(rows_[2].begin(), rows_[2].end(), 0.0);
}

// A peak is strictly above its neighbours to the north and west and at least
// as high as those to the east and south, so a plateau gives one peak, at its
// top-left point.
void PeakSearch::test_row(int r, bool below, PeakList& list)
{
    const std::vector<double>& n = rows_[0];
    const std::vector<double>& row = rows_[1];
    const std::vector<double>& s = rows_[2];
    for (int p = 1; p <= tested_; ++p) {
        const double v = row[p];
        if (v == 0.0)
            continue;
        if (!(v > n[p - 1] && v > n[p] && v > n[p + 1] && v > row[p - 1] && v >= row[p + 1]))
            continue;
        if (below && !(v > s[p - 1] && v >= s[p] && v >= s[p + 1]))
            continue;
        add_peak(list, p, r, v);
    }
}

void PeakSearch::end_row(int r, PeakList& list)
{
    if (!first_)
        test_row(r - 1, true, list);
    first_ = false;
    shift();
}

void PeakSearch::finish(int r, PeakList& list) { test_row(r, false, list); }

void finish_peak_list(PeakList& list, const MapGrid& g)
{
    for (int j = 1; j <= list.n; ++j) {
        MapPeak& p = list.peaks[j];
        // Column positions count from 1 at the first point of cluster cmin.
        const int i = g.k * g.cmin + static_cast<int>(p.x) - 1;
        p.x = i * g.sx + g.x0;
        p.y = p.y * g.sy + g.y0;
        list.oldseq[j] = j;
    }
    sort_peaks(list, 3);
}

void sort_peaks(PeakList& list, int column)
{
    auto key = [column](const MapPeak& p) { return column == 3 ? p.raw : p.refined; };
    const bool move_oldseq = column != 3;
    int gap = 1;
    while (2 * gap + 1 < list.n)
        gap = 2 * gap + 1;
    for (; list.n > 1 && gap >= 1; gap /= 2) {
        for (int i = 1 + gap; i <= list.n; ++i) {
            const MapPeak moving = list.peaks[i];
            const int seq = list.oldseq[i];
            int j = i;
            for (; j > gap && key(moving) > key(list.peaks[j - gap]); j -= gap) {
                list.peaks[j] = list.peaks[j - gap];
                if (move_oldseq)
                    list.oldseq[j] = list.oldseq[j - gap];
            }
            list.peaks[j] = moving;
            if (move_oldseq)
                list.oldseq[j] = seq;
        }
    }
}

double duplicate_weight(char mchar)
{
    switch (mchar) {
    case 'I': return 1.0;
    case 'P': return 2.0;
    default: return 1.5;
    }
}

PeakCloseness duplicate_rule(double w, bool crosswise)
{
    return PeakCloseness{0.02 * w, 0.02, crosswise};
}

void remove_peak(PeakList& list, int i)
{
    for (int m = i; m < list.n; ++m) {
        list.peaks[m] = list.peaks[m + 1];
        list.oldseq[m] = list.oldseq[m + 1];
    }
    --list.n;
}

bool close_peaks(const MapPeak& a, const MapPeak& b, const PeakCloseness& rule)
{
    if (!(std::fabs(a.refined - b.refined) < rule.fom_tolerance))
        return false;
    const double t = rule.coordinate_tolerance;
    if (std::fabs(a.x - b.x) < t && std::fabs(a.y - b.y) < t)
        return true;
    return rule.crosswise && std::fabs(a.x - b.y) < t && std::fabs(a.y - b.x) < t;
}

bool duplicates(const MapPeak& a, const MapPeak& b, double w)
{
    return close_peaks(a, b, duplicate_rule(w));
}

int find_duplicates(PeakList& list, double w)
{
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (int i = 1; i < list.n; ++i) {
            for (int j = i + 1; j <= list.n; ++j) {
                if (duplicates(list.peaks[i], list.peaks[j], w) &&
                    list.oldseq[i] > list.oldseq[j]) {
                    std::swap(list.peaks[i], list.peaks[j]);
                    std::swap(list.oldseq[i], list.oldseq[j]);
                    exchanged = true;
                }
            }
        }
    }
    // Each peak is counted once, with the first later peak it duplicates.
    int count = 0;
    for (int i = 1; i < list.n; ++i) {
        for (int j = i + 1; j <= list.n; ++j) {
            if (duplicates(list.peaks[i], list.peaks[j], w)) {
                ++count;
                break;
            }
        }
    }
    return count;
}

int remove_duplicates(PeakList& list, double w)
{
    return merge_close_peaks(list, duplicate_rule(w));
}

int merge_close_peaks(PeakList& list, const PeakCloseness& rule)
{
    int removed = 0;
    for (int i = 1; i < list.n; ++i) {
        for (int j = i + 1; j <= list.n;) {
            if (!close_peaks(list.peaks[i], list.peaks[j], rule)) {
                ++j;
                continue;
            }
            if (list.oldseq[j] < list.oldseq[i]) {
                list.peaks[i] = list.peaks[j];
                list.oldseq[i] = list.oldseq[j];
            }
            remove_peak(list, j);
            ++removed;
        }
    }
    return removed;
}

} // namespace rivi
