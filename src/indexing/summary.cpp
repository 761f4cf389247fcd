// The summary-line writer and the reader of the cells in a summary file.
#include "indexing/summary.hpp"

#include "console/format.hpp"
#include "console/sink.hpp"
#include "console/utilities.hpp"
#include "dataset/file_utils.hpp"
#include "console/textfile.hpp"

namespace indexing {

namespace {

// Text right-aligned in w characters, cut to w.
std::string right_aligned(const std::string& text, int w)
{
    std::string t = console::left_part(text, w);
    return console::blanks(w - static_cast<int>(t.size())) + t;
}

} // namespace

std::string summary_heading(bool with_description)
{
    std::string text = std::string("I20  Merit    Volume   V/V1 BL IndexProg    Date     ") +
                       "Time    Pedig     a        b        c     alpha    beta   ";
    if (with_description)
        text += std::string("gamma     Q(A)      Q(B)      Q(C)      Q(D)      Q(E) ") +
                "     Q(F)   Description (up to 80-chars, from Run-Title line)";
    else
        text += "gamma     Q(A)      Q(B)      Q(C)      Q(D)      Q(E)      Q(F)  ";
    return text;
}

std::string summary_line(const SummaryRecord& r, bool with_description)
{
    // The record's columns are fixed: a figure of merit too large for its
    // field (a perfect fit scores 9.999999E37) is written as the largest
    // that fits, so that every later column stays where readers look for it.
    const double merit = r.merit > 99999.99 ? 99999.99 : r.merit;
    std::string text = console::int_text(r.i20, 2) + console::real_text(merit, 8, 2) +
                       console::real_text(r.volume, 11, 3) +
                       console::real_text(r.volume_ratio, 6, 2) + " " +
                       (r.bravais.empty() ? std::string("P") : console::left_part(r.bravais, 1)) +
                       " " + right_aligned(r.program, 12) + " " + right_aligned(r.date, 7) + " " +
                       right_aligned(r.time, 8) + console::int_text(r.pedigree, 7);
    for (int i = 0; i < 3; ++i)
        text += console::real_text(r.cell[i], 9, 4);
    for (int i = 3; i < 6; ++i)
        text += console::real_text(r.cell[i], 8, 3);
    for (double q : r.q)
        text += console::real_text(q, 10, 4);
    if (with_description) {
        std::string description = console::trim_right(r.description);
        text += " " + (description.empty() ? std::string("No title supplied") : description);
    }
    return text;
}

void write_summary_line(console::Sink& out, bool heading, bool with_description,
                        const SummaryRecord& r)
{
    out.line(heading ? summary_heading(with_description) : summary_line(r, with_description));
}

const char* field_name(SummaryField f)
{
    switch (f) {
    case SummaryField::i20: return "I20";
    case SummaryField::merit: return "Merit";
    case SummaryField::volume: return "Volume";
    case SummaryField::bravais: return "BravAbs";
    case SummaryField::a: return "a";
    case SummaryField::b: return "b";
    case SummaryField::c: return "c";
    case SummaryField::alpha: return "alpha";
    case SummaryField::beta: return "beta";
    case SummaryField::gamma: return "gamma";
    default: return "";
    }
}

const char* field_group(SummaryField f)
{
    switch (f) {
    case SummaryField::i20:
    case SummaryField::merit:
    case SummaryField::volume: return "fields I20-BravAbs";
    case SummaryField::bravais: return "field BravAbs";
    case SummaryField::a:
    case SummaryField::b:
    case SummaryField::c: return "cell sides";
    case SummaryField::alpha:
    case SummaryField::beta:
    case SummaryField::gamma: return "cell angles";
    default: return "fields BravAbs-Pedig";
    }
}

SummaryField read_summary_cell(console::Console& con, console::TextFile& f, SummaryCell& cell)
{
    SummaryField failed = SummaryField::none;
    std::string bravais;
    if (dataset::frd_int(con, f, 2, cell.i20) != 0)
        failed = SummaryField::i20;
    else if (dataset::frd_text(con, f, 8, cell.merit) != 0)
        failed = SummaryField::merit;
    else if (dataset::frd_dbl(con, f, 11, cell.volume) != 0)
        failed = SummaryField::volume;
    if (failed == SummaryField::none) {
        dataset::frd_skip(con, f, 7);  // V/V1 and a space
        if (dataset::frd_text(con, f, 1, bravais) != 0)
            failed = SummaryField::bravais;
        cell.bravais = bravais.empty() ? ' ' : bravais[0];
    }
    if (failed == SummaryField::none) {
        dataset::frd_skip(con, f, 37);  // program, date, time and pedigree
        static constexpr SummaryField fields[] = {SummaryField::a,     SummaryField::b,
                                                  SummaryField::c,     SummaryField::alpha,
                                                  SummaryField::beta,  SummaryField::gamma};
        for (int i = 0; i < 6 && failed == SummaryField::none; ++i)
            if (dataset::frd_dbl(con, f, i < 3 ? 9 : 8, cell.cell[i]) != 0)
                failed = fields[i];
    }
    dataset::skip_line(f);
    return failed;
}

std::string summary_row(int seq, const SummaryCell& cell)
{
    std::string text = console::int_text(seq, 4) + " " + console::int_text(cell.i20, 2) +
                       console::left_part(cell.merit + console::blanks(8), 8) +
                       console::real_text(cell.volume, 11, 3) + " " + cell.bravais;
    for (int i = 0; i < 3; ++i)
        text += console::real_text(cell.cell[i], 9, 4);
    for (int i = 3; i < 6; ++i)
        text += console::real_text(cell.cell[i], 8, 3);
    return text;
}

} // namespace indexing
