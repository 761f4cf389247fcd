// The reports of a map's peaks: the tables before and after refinement and
// the constants display of a trial.
#include <string>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

namespace {

using console::blanks;
using console::int_text;
using console::real_text;

constexpr int rows_per_page = 19;
constexpr double probably_90 = 0.5;  // QU.: a smaller cross constant is probably a right angle

std::string padded(const std::string& text, int w)
{
    return text + blanks(w - static_cast<int>(text.size()));
}

// The axis names of a table's header; in Q-scan mode each is followed by
// two blanks.
std::string axes_header(const control::Session& s)
{
    const bool angle = s.maps.settings.angle_mode;
    const char section = s.maps.fom.section;
    const std::string tail = angle ? "" : "  ";
    return blanks(8) + x_name(section, angle) + tail + blanks(4) + y_name(section, angle) + tail +
           blanks(6);
}

// Rows of a peak table: with screen paging on, a header before the first row
// and after every 19, each after the first preceded by a pause.
template <class Header, class Row>
void paged_table(control::Session& s, double mean, bool refined, const char* below,
                 Header header, Row row)
{
    const PeakList& list = s.maps.results.list;
    const bool paging = s.con.pause_flag == 1;
    for (int i = 1; i <= list.n; ++i) {
        const MapPeak& p = list.peaks[i];
        if ((refined ? p.refined : p.raw) <= mean) {
            s.con.line(below);
            return;
        }
        if (paging && (i - 1) % rows_per_page == 0) {
            if (i > 1)
                console::pause(s.con);
            s.con.line(header());
        }
        s.con.line(row(i, p));
    }
}

std::string peak_position(int i, const MapPeak& p)
{
    return int_text(i, 4) + real_text(p.x, 10, 4) + real_text(p.y, 10, 4) + " ";
}

} // namespace

void write_raw_table(control::Session& s, double mean)
{
    const std::string name = fom_name(s.maps.fom.Mchar);
    paged_table(
        s, mean, false, "  (Any further peaks are below the mean level)",
        [&] { return axes_header(s) + padded(name, 8) + "/mean"; },
        [&](int i, const MapPeak& p) {
            return peak_position(i, p) + real_text(p.raw, 9, 3) + " " +
                   real_text(p.raw / mean, 8, 3);
        });
}

void write_refined_table(control::Session& s, double mean)
{
    const std::string name = fom_name(s.maps.fom.Mchar);
    const PeakList& list = s.maps.results.list;
    paged_table(
        s, mean, true, "    (Any further peaks are below the mean level)",
        [&] {
            return axes_header(s) + padded(name, 7) + "Refined" + blanks(4) + "/mean" + blanks(3) +
                   "Post/Pre" + blanks(2) + "oldseq";
        },
        [&](int i, const MapPeak& p) {
            return peak_position(i, p) + real_text(p.raw, 9, 3) + " " +
                   real_text(p.refined, 9, 3) + " " + real_text(p.refined / mean, 8, 3) + " " +
                   (p.raw == 0.0 ? std::string("   -----") : real_text(p.refined / p.raw, 8, 3)) +
                   int_text(list.oldseq[i], 7);
        });
}

void write_constants(console::Sink& out, const Q6& q)
{
    cell::DerivedCell c;
    cell::cell_from_powder_constants(c, q);
    static const char* const diagonal[] = {"  Q(A) = ", "  Q(B) = ", "  Q(C) = "};
    static const char* const cross[] = {"Q(D) = ", "Q(E) = ", "Q(F) = "};
    static const char* const angle[] = {" (alpha* =", " (beta*  =", " (gamma* ="};
    for (int i = 0; i < 3; ++i) {
        const double qc = q[4 + i];
        std::string line = diagonal[i] + real_text(q[1 + i], 10, 4) + blanks(3) + cross[i] +
                           real_text(qc, 9, 4) + angle[i] + real_text(c.RR[4 + i], 8, 3) + " deg)";
        if (qc != 0.0 && qc > -probably_90 && qc < probably_90)
            line += " (probably 90 deg)";
        out.line(line);
    }
    out.endl();
}

} // namespace rivi
