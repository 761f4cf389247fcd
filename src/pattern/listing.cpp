// LI: the listing of the observed pattern, on the screen and its copies, and
// the pattern revision that keeps Q and 2Theta of every line in step.
#include <cmath>
#include <optional>
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::int_text;
using console::real_text;

void revise_pattern(control::Session& s)
{
    dataset::Dataset& ds = s.ds;
    for (int i = 1; i <= ds.Nobs; ++i) {
        // A line typed as Q or d has no 2Theta yet: derive it when the
        // wavelength reaches that far; otherwise the angle rules the Q.
        if (ds.OT[i] == 0.0) {
            double t = 0.0;
            if (dataset::two_theta_from_q(ds, ds.OQ[i], ds.Z2Th, t))
                ds.OT[i] = t;
        } else {
            double q = 0.0;
            if (dataset::q_from_2theta(ds, ds.OT[i], ds.Z2Th, q))
                ds.OQ[i] = q;
        }
    }
}

namespace {

struct ListOptions {
    bool suppress_copies;
    bool show_heading;
    double threshold;
    bool above;
    bool wavelength_assumed;  // W0 was 0 and CuKa1 has been put in its place
};

bool listed(const dataset::Dataset& ds, int i, const ListOptions& o)
{
    if (!(o.threshold > 0.0))
        return true;
    return o.above ? ds.OI[i] > o.threshold : ds.OI[i] <= o.threshold;
}

std::string suppression_note(int output_code)
{
    switch (output_code & 3) {
    case 1: return "(with printer output suppressed)";
    case 2: return "(with file output suppressed)";
    case 3: return "(with printer and file output suppressed)";
    default: return "";
    }
}

void write_heading(control::Session& s, console::Sink& out, bool screen, const ListOptions& o)
{
    const dataset::Dataset& ds = s.ds;
    if (screen)
        out.lines(2);
    out.put("List Observed Pattern ");
    if (screen) {
        if (o.suppress_copies)
            out.put(suppression_note(s.con.output_code));
    } else {
        out.line("for dataset " + ds.Dset + " on " + console::date_stamp() + " at " +
                 console::time_stamp() + " (v" + s.version.header_version + ")");
        out.endl();
        if (ds.Title == dataset::default_title)
            out.put(ds.Title);
        else
            out.put(ds.Dset + " = " + ds.Title);
    }
    out.endl();
    out.endl();

    if (o.wavelength_assumed)
        out.line("Wavelength not supplied - CuKalpha1 assumed: 1.5406 Angstroms");
    else
        out.line("Wavelength =" + real_text(ds.W0, 9, 6) + " Angstroms");

    if (ds.Nobs == 0)
        return;
    if (ds.Z2Th == 0.0)
        out.line("No zero correction applied");
    else
        out.line(std::string("Zero correction of") + (ds.Z2Th < 0.0 ? " " : "") +
                 real_text(ds.Z2Th, 9, 6) + " degrees 2Theta added");
    out.endl();
    std::string first = " Obs   Corr'd     Corr'd";
    std::string second = " No.   2Theta     Q(Obs)      d(obs)";
    if (ds.ikind == 1)
        first += console::blanks(13) + "  Qualitative  Quantitative";
    if (ds.Iflag == 1)
        second += "    Intensity";
    if (ds.ikind == 1)
        second += "    Intensity";
    out.line(first);
    out.line(second);
    out.endl();
}

void write_row(control::Session& s, console::Sink& out, int i)
{
    const dataset::Dataset& ds = s.ds;
    std::string row = int_text(i, s.pattern.line_width);
    if (ds.OT[i] == 0.0 && ds.OQ[i] != 0.0)
        row += "      -    ";
    else
        row += real_text(ds.OT[i] + ds.Z2Th, 10, 4);
    row += real_text(ds.OQ[i], 12, 5);
    // A Q of zero or below has no d-spacing; show 0 rather than a failed root.
    row += real_text(ds.OQ[i] > 0.0 ? 100.0 / std::sqrt(ds.OQ[i]) : 0.0, 12, 6);
    if (ds.Iflag == 1) {
        row += console::blanks(6) + dataset::intensity_code_text(ds.icode[i]);
        if (ds.ikind == 1)
            row += real_text(ds.OI[i], 15, 3);
    }
    out.line(row);
}

// One pass of the listing to one channel. Only the screen pages.
void write_listing(control::Session& s, console::Sink& out, bool screen, const ListOptions& o)
{
    std::optional<console::Pager> pager;
    if (screen)
        pager.emplace(s.con, o.show_heading ? 7 : 0);
    if (o.show_heading)
        write_heading(s, out, screen, o);
    for (int i = 1; i <= s.ds.Nobs; ++i) {
        if (!listed(s.ds, i, o))
            continue;
        if (pager)
            pager->before_line();
        write_row(s, out, i);
        if (pager)
            pager->after_line();
    }
}

} // namespace

void list_pattern(control::Session& s, bool suppress_copies, bool show_heading,
                  double threshold, bool above)
{
    dataset::Dataset& ds = s.ds;
    revise_pattern(s);
    if (ds.ikind == 1)
        dataset::derive_intensity_codes(ds);

    ListOptions o{suppress_copies, show_heading, threshold, above, false};
    if (ds.W0 == 0.0) {
        o.wavelength_assumed = true;
        ds.set_wavelength(dataset::cuka1);
    }

    write_listing(s, s.con, true, o);
    if (suppress_copies)
        return;
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s))
        write_listing(s, s.out.copy, false, o);
    console::report_end(s);
}

// LI: list the observed pattern.
void LI(control::Session& s) { list_pattern(s, false, true); }

} // namespace pattern
