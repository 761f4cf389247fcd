// The QDAT input file, field by field.
#include "indexing/qdat.hpp"

#include <cmath>

#include "console/format.hpp"
#include "console/utilities.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"

namespace indexing {

namespace {

const std::string ten_blanks(10, ' ');

double largest_intensity(const dataset::Dataset& ds)
{
    double imax = 0.0;
    for (int i = 1; i <= ds.Nobs; ++i)
        imax = std::max(imax, std::fabs(ds.OI[i]));
    return imax;
}

// McMaille and ITO/LZON treat intensities specially.
bool writes_99_for_100(const RunParameters& p)
{
    return is_family(p, "IT") || is_family(p, "LZ");
}

} // namespace

bool is_family(const RunParameters& p, std::string_view family)
{
    return p.program != nullptr && p.program->family == family;
}

void select_lines(const RunParameters& p, const dataset::Dataset& ds, LineSelection& sel)
{
    sel.count = 0;
    bool skip_weak = is_family(p, "MC") && !p.unit_intensities;
    int n = std::min(p.lines, ds.Nobs);
    for (int i = 1; i <= n; ++i) {
        if (skip_weak && ds.icode[i] <= 0)
            continue;
        double t = ds.OT[i];
        // A pattern typed as Q or d may have no stored angle.
        if (t == 0.0 && !dataset::two_theta_from_q(ds, ds.OQ[i], ds.Z2Th, t))
            continue;
        ++sel.count;
        sel.line[sel.count] = i;
        sel.two_theta[sel.count] = t;
    }
}

std::string parameter_line(console::Console& con, const RunParameters& p,
                           const dataset::Dataset& ds)
{
    const Program& prog = *p.program;
    std::string text = "1";
    if (is_family(p, "DV"))
        text += static_cast<char>('0' + p.dicvol_mode);
    else
        text += ds.Iflag != 0 ? "1" : "0";
    text += console::int_text(p.nspuri, 2);
    if (is_family(p, "LZ"))
        text += std::string(prog.selector) + console::int_text(p.dichotomy, 2);
    else
        text += prog.selector;
    text += uses_del2th(prog) ? console::string10(con, p.del2th) : ten_blanks;
    text += console::string10(con, ds.W0);
    text += ten_blanks;
    text += is_family(p, "DV") ? console::string10(con, p.volmin) : ten_blanks;
    text += p.volmax > 0.0 ? console::string10(con, p.volmax) : ten_blanks;
    if (is_family(p, "LZ"))
        text += "   " + console::int_text(p.zones, 2);
    else
        text += "     ";
    text += console::real_text(ds.Z2Th, 10, 7);
    if (is_family(p, "MC")) {
        text += console::int_text(p.ngrid, 1) + " ";
    } else {
        text += " ";
        if (is_family(p, "LZ"))
            text += p.zone_measure == 'C' ? "1" : "0";
        else
            text += " ";
    }
    if (is_family(p, "TP")) {
        text += p.taup_monoclinic ? "M" : " ";
        text += p.taup_all_solutions ? "X" : " ";
        text += " ";
    } else if (is_family(p, "KL")) {
        text += p.iort;
    }
    return text;
}

std::string basis_set_line(const RunParameters& p, const dataset::Dataset& ds)
{
    std::string text;
    for (double q : p.basis)
        text += console::real_text(q, 11, 5);
    text += console::real_text(ds.W0, 11, 5);
    return text;
}

std::string basis_count_line(const RunParameters& p, int lines_written)
{
    return console::int_text(lines_written, 3) + "  0" + console::int_text(p.nspuri, 3) +
           console::int_text(p.lrectan ? 1 : 0, 3) + console::real_text(p.fmineq, 5, 2);
}

std::string two_theta_text(double two_theta)
{
    return console::real_text(two_theta, 10, two_theta >= 99.9999995 ? 5 : 6);
}

int intensity_value(const RunParameters& p, const dataset::Dataset& ds, int i, double imax)
{
    int value;
    if (is_family(p, "MC") && (p.unit_intensities || ds.Iflag == 0))
        value = 100;
    else if (ds.Iflag != 0 && ds.ikind == 1)
        // The ratio first: 100 times an intensity near the largest double overflows.
        value = imax > 0.0 ? static_cast<int>(std::lround(100.0 * (ds.OI[i] / imax))) : 0;
    else if (is_family(p, "MC"))
        value = 10 * ds.icode[i];
    else
        value = ds.icode[i];
    if (value == 100 && writes_99_for_100(p))
        value = 99;
    return value;
}

std::string observed_line(const RunParameters& p, const dataset::Dataset& ds,
                          const LineSelection& sel, int k, double imax)
{
    return two_theta_text(sel.two_theta[k]) +
           console::int_text(intensity_value(p, ds, sel.line[k], imax), 3);
}

bool write_qdat(console::Console& con, console::TextFile& f, const RunParameters& p,
                const dataset::Dataset& ds, const std::string& title_line,
                const LineSelection& sel)
{
    // Stop at the first failed write: its report names the file and the text.
    if (!dataset::wr_str(con, f, title_line, 1) ||
        !dataset::wr_str(con, f, parameter_line(con, p, ds), 1))
        return false;
    if (is_family(p, "LS") && (!dataset::wr_str(con, f, basis_set_line(p, ds), 1) ||
                               !dataset::wr_str(con, f, basis_count_line(p, sel.count), 1)))
        return false;
    if (!dataset::wr_str(con, f, "CONT", 1))
        return false;
    double imax = largest_intensity(ds);
    for (int k = 1; k <= sel.count; ++k)
        if (!dataset::wr_str(con, f, observed_line(p, ds, sel, k, imax), 1))
            return false;
    return dataset::wr_str(con, f, "", 1);
}

} // namespace indexing
