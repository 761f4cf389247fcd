// Histogram, list and mean of the pair values found by self-calibration.
#include "calibration/report.hpp"

#include <optional>
#include <string>

#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/sink.hpp"
#include "console/utilities.hpp"

namespace calibration {

using console::blanks;
using console::int_text;
using console::real_text;

namespace {

// Pair numbers in the histogram: three digits with leading zeros.
std::string pair_label(int k)
{
    if (k < 0 || k > 999)
        return "XXX";
    std::string t = std::to_string(k);
    return std::string(3 - t.size(), '0') + t;
}

// The equivalent zero correction at 2Theta = 0 of a displacement ratio.
double zero_equivalent(double T) { return -114.59155902 * T; }

void list_heading(console::Sink& out, Mode mode, double z2th)
{
    if (mode == Mode::zero) {
        out.line("Current Z2Theta correction (added to 2Theta) = " + real_text(z2th, 1, 5));
        out.line("dZ2Th changes reported below are added to this to give the suggested New Z2Th");
        out.line("List of possible additional Z2Theta corrections found by Self-Calibration");
        out.line("Trial      1st     2Theta1        2nd      2Theta2      dZ2Th       New Z2Th");
        out.line("Pair      Line       deg         Line        deg         deg          deg");
    } else {
        out.line("Specimen-displacement corrections listed below are in addition");
        out.line("to the current Z2Theta correction (added to 2Theta) = " + real_text(z2th, 1, 5) +
                 " deg");
        out.line("List of Possible Specimen-Displacement T ratios found by Self-Calibration");
        out.line("Trial     1st     2Theta1      2nd     2Theta2                    =Z2Theta");
        out.line("Pair     Line       deg       Line       deg        T (=-S/R)     at 2Th=0");
    }
    out.endl();
}

constexpr int heading_lines = 6;

std::string pair_row(Mode mode, const LinePairs& p, int k, const dataset::Dataset& ds)
{
    const int i = p.first[k], j = p.second[k];
    const double t1 = ds.OT[i] + ds.Z2Th, t2 = ds.OT[j] + ds.Z2Th;
    const double v = p.value[k];
    if (mode == Mode::zero)
        return int_text(k, 3) + blanks(8) + int_text(i, 3) + blanks(5) + real_text(t1, 8, 4) +
               blanks(5) + int_text(j, 3) + blanks(8) + real_text(t2, 8, 4) + blanks(2) +
               real_text(v, 9, 5) + blanks(4) + real_text(ds.Z2Th + v, 9, 5);
    return int_text(k, 3) + int_text(i, 10) + real_text(t1, 12, 4) + int_text(j, 9) +
           real_text(t2, 12, 4) + real_text(v, 15, 8) + real_text(zero_equivalent(v), 13, 5);
}

} // namespace

void write_histogram(console::Sink& out, Mode mode, const LinePairs& pairs)
{
    out.line(std::string(mode == Mode::zero ? "Histogram of Z2Theta change (in degrees)"
                                            : "Histogram of specimen-displacement T ratio") +
             " vs line-pair number");
    out.endl();
    const double scale = bin_scale(mode);
    for (int k = 10; k >= -10; --k) {
        const double centre = 0.01 * scale * k;
        std::string row = mode == Mode::zero ? real_text(centre, 5, 2) : real_text(centre, 7, 4);
        row += ' ';
        for (int n = 1; n <= pairs.n; ++n)
            if (in_bin(pairs.value[n], k, scale))
                row += ' ' + pair_label(n);
        out.line(row);
    }
}

void write_pair_list(console::Sink& out, console::Console* pager_console, Mode mode,
                     const LinePairs& pairs, const dataset::Dataset& ds)
{
    std::optional<console::Pager> pager;
    if (pager_console != nullptr)
        pager.emplace(*pager_console, heading_lines);
    list_heading(out, mode, ds.Z2Th);
    for (int k = 1; k <= pairs.n; ++k) {
        if (pager)
            pager->before_line();
        out.line(pair_row(mode, pairs, k, ds));
        if (pager)
            pager->after_line();
    }
}

void write_mean(console::Sink& out, Mode mode, const LinePairs& pairs, double z2th)
{
    const MeanEsd m = mean_and_esd(pairs);
    if (mode == Mode::zero) {
        out.line("Mean and esd of listed dZ2Th = " + real_text(m.mean, 7, 5) + " +- " +
                 real_text(m.esd, 7, 5) + " deg");
        out.line("          incl existing Z2Th = " + real_text(z2th + m.mean, 7, 5) + " +- " +
                 real_text(m.esd, 7, 5) + " deg");
    } else {
        out.line("Mean and esd of listed T ratios = " + real_text(m.mean, 9, 7) + " +- " +
                 real_text(m.esd, 9, 7) + " deg");
    }
    out.line("Whether this is meaningful is a matter for user judgement - several cycles");
    out.line(std::string("of iteration may be required, adjusting the max Q-difference and perhaps ") +
             (mode == Mode::zero ? "Z2Th" : "T"));
}

} // namespace calibration
