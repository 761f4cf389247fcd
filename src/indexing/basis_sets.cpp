// The basis-set list of an LZON run: reading, listing and the choice of one
// set for the merit map.
#include "indexing/basis_sets.hpp"

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "console/textfile.hpp"
#include "indexing/names.hpp"

namespace indexing {

namespace {

using console::Console;

void rewrite_hint(Console& con)
{
    con.line("(To re-write the basis-set-list file, run the IN command with LZ.");
    con.line(" To change default directory, first use CD command, then IN, etc.)");
}

// Shows the row of a set, or asterisks and the field that failed.
void show_set(Console& con, int seq, BasisField bad, const BasisSetEntry& entry)
{
    if (bad == BasisField::none) {
        con.line(basis_set_row(seq, entry));
    } else {
        con.line(console::int_text(seq, 2) + " " + std::string(69, '*'));
        con.line(std::string("** Bad data read in ") + basis_field_name(bad) + " **");
    }
}

// Opens the list and reads its count; 0 when there is nothing to choose.
int open_list(control::Session& s, console::TextFile& f, const std::string& path,
              const std::string& file)
{
    Console& con = s.con;
    const char* failure = nullptr;
    if (!console::file_exists(path))
        failure = "No basis-set-list file";
    else if (f.open_read(path) != 0)
        failure = "Failed to open basis-set-list file";
    if (failure != nullptr) {
        con.line(std::string("** ") + failure + " \"" + file + "\" found in directory" +
                 dataset::data_directory_text(s) + "  -  Command ignored **");
        rewrite_hint(con);
        return 0;
    }
    if (f.at_eof()) {
        con.line("** File \"" + file + "\" is empty  -  Command ignored **");
        rewrite_hint(con);
        return 0;
    }
    int count = 0;
    if (dataset::frd_int(con, f, 2, count) != 0)
        count = 0;
    dataset::skip_line(f);
    con.line("A BSL file for this dataset has been opened, containing " + std::to_string(count) +
             " basis sets.");
    if (count > max_basis_sets) {
        con.line("** Too many basis sets reported (" + std::to_string(count) + ") **");
        count = 0;
    }
    if (count <= 0)
        rewrite_hint(con);
    return count;
}

} // namespace

const char* basis_field_name(BasisField f)
{
    switch (f) {
    case BasisField::qa: return "Q[A]";
    case BasisField::qb: return "Q[B]";
    case BasisField::qc: return "Q[C]";
    case BasisField::qf: return "Q[F]";
    case BasisField::i20: return "I20";
    case BasisField::m20: return "M20";
    case BasisField::nsol: return "Nsol";
    case BasisField::lzon_no: return "LzonNo";
    default: return "";
    }
}

BasisField read_basis_set(console::Console& con, console::TextFile& f, BasisSetEntry& entry)
{
    BasisField failed = BasisField::none;
    double* q[] = {&entry.qa, &entry.qb, &entry.qc, &entry.qf};
    static constexpr BasisField q_fields[] = {BasisField::qa, BasisField::qb, BasisField::qc,
                                              BasisField::qf};
    for (int i = 0; i < 4 && failed == BasisField::none; ++i)
        if (dataset::frd_dbl(con, f, 12, *q[i]) != 0)
            failed = q_fields[i];
    if (failed == BasisField::none && dataset::frd_int(con, f, 4, entry.i20) != 0)
        failed = BasisField::i20;
    if (failed == BasisField::none && dataset::frd_text(con, f, 8, entry.m20) != 0)
        failed = BasisField::m20;
    if (failed == BasisField::none && dataset::frd_int(con, f, 6, entry.nsol) != 0)
        failed = BasisField::nsol;
    if (failed == BasisField::none && dataset::frd_int(con, f, 3, entry.lzon_no) != 0)
        failed = BasisField::lzon_no;
    dataset::skip_line(f);
    return failed;
}

std::string basis_set_row(int seq, const BasisSetEntry& e)
{
    return console::int_text(seq, 2) + " " + console::real_text(e.qa, 10, 3) +
           console::real_text(e.qb, 10, 3) + console::real_text(e.qc, 10, 3) +
           console::real_text(e.qf, 10, 3) + console::int_text(e.i20, 5) +
           console::left_part(e.m20 + console::blanks(8), 8) + console::int_text(e.nsol, 6) +
           console::int_text(e.lzon_no, 7);
}

bool load_basis_set(control::Session& s, BasisSet& chosen)
{
    Console& con = s.con;
    const std::string file = console::squeeze_upper(s.ds.Dset) + ".LZB";
    const std::string path = dataset::data_file_path(s, s.ds.Dset, ".LZB");
    console::TextFile f;
    int count = open_list(s, f, path, file);
    if (count <= 0)
        return false;

    con.line("These contain the following values (including a summary of the best solution,");
    con.line("if any, which each yielded in LZON):");
    con.line(basis_set_header);
    for (int seq = 1; seq <= count; ++seq) {
        if (f.at_eof()) {
            con.line("(End of Basis-Set-List File)");
            break;
        }
        BasisSetEntry entry;
        BasisField bad = read_basis_set(con, f, entry);
        show_set(con, seq, bad, entry);
    }
    f.close();

    int n = 0;
    for (;;) {
        std::string reply =
            console::read_normalised_reply(con, "Seq of basis-set to load, or Q = quit (no default)? ");
        con.endl();
        con.endl();
        if (reply == "Q")
            return false;
        if (console::parse_int(reply, n) && n >= 1 && n <= count)
            break;
    }

    con.line("Basis set " + std::to_string(n) +
             " loaded, for which LZON reported the following values:");
    con.endl();
    BasisSetEntry entry;
    BasisField bad = BasisField::none;
    bool present = f.open_read(path) == 0;
    for (int seq = 0; present && seq <= n; ++seq) {
        if (f.at_eof()) {
            present = false;
        } else if (seq < n) {
            dataset::skip_line(f);  // the count line, then the sets before n
        } else {
            bad = read_basis_set(con, f, entry);
        }
    }
    con.line(basis_set_header);
    if (!present) {
        con.line("(End of Basis-Set-List File)");
        return false;
    }
    show_set(con, n, bad, entry);
    if (bad != BasisField::none)
        return false;
    chosen.seq = n;
    chosen.q = {0.0, entry.qa, entry.qb, entry.qc, 0.0, 0.0, entry.qf};
    return true;
}

} // namespace indexing
