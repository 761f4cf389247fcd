// The full cell display (CELLDAT): direct and reciprocal cells, volumes,
// powder constants and Delaunay constants, on the screen or a copy file.
#include "cell/cell_display.hpp"

#include <string>

#include "cell/conversions.hpp"
#include "console/format.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "console/textfile.hpp"

namespace cell {

using console::real_text;

namespace {

// Exact special values stand where the integer digits of the field would:
// an angle of 90 over its two digits, 0 over the units digit, 0.0 and 1.0
// with their point on the field's point.
void angle_field(console::Sink& out, double x, int w, int d)
{
    console::show_angle(out, x, w, d, w - d - 3);
}

void zero_field(console::Sink& out, double x, int w, int d)
{
    console::show_zero(out, x, w, d, w - d - 2);
}

void sine_cosine_lines(console::Sink& out, const dataset::CellRow& sc, const char* sin_label,
                       const char* cos_label)
{
    out.put(sin_label);
    for (int i = 1; i <= 3; ++i) {
        if (i > 1)
            out.put(console::blanks(10));
        console::show_zero_one(out, sc[i], 10, 7, 1);
    }
    out.endl();
    out.put(cos_label);
    for (int i = 4; i <= 6; ++i) {
        if (i > 4)
            out.put(console::blanks(10));
        console::show_zero_one(out, sc[i], 10, 7, 1);
    }
    out.endl();
}

} // namespace

void direct_cell_lines(console::Sink& out, const dataset::Dataset& ds)
{
    out.line("a      " + real_text(ds.DD[1], 11, 6) + "      b      " + real_text(ds.DD[2], 11, 6) +
             "      c      " + real_text(ds.DD[3], 11, 6) + "  A");
    out.put("alpha  ");
    angle_field(out, ds.DD[4], 9, 4);
    out.put("        beta   ");
    angle_field(out, ds.DD[5], 9, 4);
    out.put("        gamma  ");
    angle_field(out, ds.DD[6], 9, 4);
    out.line("    Deg");
    out.endl();
}

std::string powder_constant_header()
{
    std::string head = "     Q(A)";
    for (const char* name : {"Q(B)", "Q(C)", "Q(D)", "Q(E)", "Q(F)"})
        head += console::blanks(9) + name;
    return head;
}

std::string delaunay_header()
{
    std::string head = "      P";
    for (const char* letter : {"Q", "R", "S", "T", "U"})
        head += console::blanks(12) + letter;
    return head;
}

void powder_constant_lines(console::Sink& out, const dataset::Dataset& ds)
{
    out.line(powder_constant_header());
    out.put(real_text(ds.QQ[1], 11, 5) + real_text(ds.QQ[2], 13, 5) + real_text(ds.QQ[3], 13, 5));
    for (int i = 4; i <= 6; ++i)
        zero_field(out, ds.QQ[i], 13, 5);
    out.endl();
}

void delaunay_lines(console::Sink& out, const dataset::Dataset& ds)
{
    out.line(delaunay_header());
    zero_field(out, ds.PP[1], 11, 6);
    for (int i = 2; i <= 6; ++i)
        zero_field(out, ds.PP[i], 13, 6);
    out.endl();
}

void show_cell(control::Session& s, console::Sink& out, bool copy_form)
{
    const dataset::Dataset& ds = s.ds;
    if (copy_form) {
        out.line(std::string("** Latticor (CELLDAT) **  Obs cell expanded to full ") +
                 "direct & recip cell data" + console::blanks(26) + console::date_stamp() + " " +
                 console::time_stamp());
        out.endl();
    }
    if (ds.Ctype == 1) {
        out.line("Direct cell as input, in Angstroms and degrees");
        out.endl();
    }
    direct_cell_lines(out, ds);
    sine_cosine_lines(out, ds.DSC, "sin:   ", "cos:   ");
    out.lines(2);

    out.line("V      " + real_text(ds.V, 10, 4) + console::blanks(10) + "V*     " +
             real_text(ds.Vstar, 13, 10));
    out.endl();

    out.line("a*     " + real_text(ds.RR[1], 11, 8) + "      b*     " + real_text(ds.RR[2], 11, 8) +
             "      c*     " + real_text(ds.RR[3], 11, 8) + "  A(-1)");
    out.put("alpha* ");
    angle_field(out, ds.RR[4], 9, 4);
    out.put("        beta*  ");
    angle_field(out, ds.RR[5], 9, 4);
    out.put("        gamma* ");
    angle_field(out, ds.RR[6], 8, 4);
    out.line("     Deg");
    out.endl();
    sine_cosine_lines(out, ds.RSC, "sin*:  ", "cos*:  ");
    out.lines(2);

    if (ds.Ctype == 2)
        out.line("Powder Constants in QU., as input");
    powder_constant_lines(out, ds);
    out.lines(2);

    out.line(ds.Ctype == 3 ? "Parameters for Delaunay Reduction as input"
                           : "Parameters for Delaunay Reduction");
    delaunay_lines(out, ds);

    if (copy_form) {
        out.endl();
        out.line("\f");
        if (auto* file = dynamic_cast<console::TextFile*>(&out))
            file->flush();
    }
}

} // namespace cell
