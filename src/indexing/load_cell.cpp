// LC: load a trial cell from a summary file (Latticor SUM or Chekcell CKM),
// listed twenty cells a page.
#include <string>

#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"
#include "console/textfile.hpp"
#include "files/commands.hpp"
#include "indexing/commands.hpp"
#include "indexing/names.hpp"
#include "indexing/summary.hpp"
#include "rivi/map_dialogue.hpp"

namespace indexing {

namespace {

using console::Console;

constexpr int page_size = 20;

struct SummaryFile {
    std::string name;   // "ABC.SUM", as the messages show it
    std::string path;
    console::TextFile file;
};

void try_again_hint(Console& con)
{
    con.line("(To try again using a different name, repeat LC command.");
    con.line(" To change default directory, first use CD command, then LC)");
}

// Skips to line `seq` (1-based); false when the file ends before it.
bool skip_to(console::TextFile& f, int seq)
{
    for (int i = 1; i < seq; ++i) {
        if (f.at_eof())
            return false;
        dataset::skip_line(f);
    }
    return !f.at_eof();
}

bool open_summary(control::Session& s, SummaryFile& sf)
{
    Console& con = s.con;
    const char* failure = nullptr;
    if (!console::file_exists(sf.path))
        failure = "No summary file";
    else if (sf.file.open_read(sf.path) != 0)
        failure = "Failed to open summary file";
    if (failure != nullptr) {
        con.line(std::string("** ") + failure + " \"" + sf.name + "\" found in directory" +
                 dataset::data_directory_text(s) + "  -  Command ignored **");
        try_again_hint(con);
        return false;
    }
    if (sf.file.at_eof()) {
        con.line("** File \"" + sf.name + "\" is empty  -  Command ignored **");
        try_again_hint(con);
        return false;
    }
    return true;
}

// Lists up to a page of cells from the file position; true when the file
// ended on this page.
bool list_page(control::Session& s, SummaryFile& sf, int first)
{
    Console& con = s.con;
    con.line(summary_listing_header);
    con.endl();
    for (int seq = first; seq < first + page_size && !sf.file.at_eof(); ++seq) {
        SummaryCell cell;
        SummaryField bad = read_summary_cell(con, sf.file, cell);
        if (bad == SummaryField::none) {
            con.line(summary_row(seq, cell));
        } else {
            con.line(console::int_text(seq, 4) + " " + std::string(74, '*'));
            con.line(std::string("** Bad data read in ") + field_name(bad) + " **");
        }
    }
    bool at_end = sf.file.at_eof();
    if (at_end)
        con.line("(End of Summary File)");
    return at_end;
}

// The answer at the end of a page: 'N', 'B', 'Q', or 'S' with the number.
char page_answer(Console& con, bool first_page, bool at_end, int& seq)
{
    const bool offer_next = !at_end;
    const bool offer_back = !(first_page && at_end);
    const char* prompt =
        !offer_back  ? "Seq of cell to load, or Q = quit (no default)? "
        : !offer_next ? "Seq of cell to load, or B = back 20, Q = quit (no default)? "
                      : "Seq of cell to load, or N = next 20, B = back 20, Q = quit (default N)? ";
    for (;;) {
        std::string reply = console::read_normalised_reply(con, prompt);
        if (reply.empty() && offer_next) {
            reply = "N";
            con.put("(N)");
        }
        con.endl();
        con.endl();
        if (reply.empty())
            continue;
        char c = reply[0];
        if (c == 'Q' || (c == 'N' && offer_next) || (c == 'B' && offer_back))
            return c;
        if (console::parse_int(reply, seq) && seq >= 1)
            return 'S';
    }
}

void read_failure(control::Session& s, const SummaryFile& sf, SummaryField bad)
{
    s.con.line(std::string("** Failed to read ") + field_group(bad) + " in summary file \"" +
               sf.name + "\" found in directory" + dataset::data_directory_text(s) + " **");
    s.con.line("** Command ignored **");
}

// Makes cell `seq` the trial cell of the working dataset.
void load_cell(control::Session& s, SummaryFile& sf, int seq)
{
    Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.line("The trial cell sequence number selected is " + std::to_string(seq));
    sf.file.close();
    SummaryCell cell;
    if (sf.file.open_read(sf.path) != 0 || !skip_to(sf.file, seq)) {
        read_failure(s, sf, SummaryField::i20);
        return;
    }
    SummaryField bad = read_summary_cell(con, sf.file, cell);
    sf.file.close();
    if (bad != SummaryField::none) {
        read_failure(s, sf, bad);
        return;
    }
    // A zero side is refused before anything changes, so the working cell
    // stays whole.
    if (cell.cell[0] * cell.cell[1] * cell.cell[2] == 0.0) {
        con.line("** Zero direct-cell side read for cell " + std::to_string(seq) + " in " +
                 sf.name + " - Command ignored **");
        return;
    }
    // A side a dataset file could not hold back is refused the same way.
    for (int i = 0; i < 3; ++i) {
        if (!dataset::cell_side_in_range(cell.cell[i])) {
            con.line(std::string("** Direct-cell side ") + "abc"[i] + " = " +
                     console::real_text(cell.cell[i], 0, 4) + " A read for cell " +
                     std::to_string(seq) + " in " + sf.name + " lies outside " +
                     console::real_text(dataset::min_cell_side, 0, 1) + " to " +
                     console::real_text(dataset::max_cell_side, 0, 0) + " A - Command ignored **");
            return;
        }
    }
    char bravais = static_cast<char>(std::toupper(static_cast<unsigned char>(cell.bravais)));
    int code = 1;
    if (bravais != ' ' && std::string_view("PABCIF").find(bravais) != std::string_view::npos &&
        dataset::absences_code(std::string(1, bravais), code)) {
        ds.Abs = std::string(1, bravais);
        ds.abs_code = code;
    } else {
        ds.Abs = "P";
        ds.abs_code = 1;
        con.line("  ( Bravais lattice type reset to Primitive )");
        console::pause(con);
    }
    for (int i = 1; i <= 6; ++i)
        ds.DD[i] = cell.cell[i - 1];
    ds.cell_valid = 1;
    cell::cell_from_direct(ds);
    dataset::IndexRow limits{};
    cell::automatic_limits(ds, limits);
    bool any = false;
    for (int i = 1; i <= 6; ++i)
        any = any || limits[i] != 0;
    if (any) {
        ds.GL = limits;
        ds.Gflag = 1;
    }
    cell::expand_direct_cell(s);

    con.endl();
    std::string reply = console::ask_code(
        con, "Display thumbnails of 3 principal RIvi sections for this cell (Y/N, def=Y)? ", "YN",
        "Y", "(Y)");
    con.endl();
    if (reply[0] == 'Y') {
        s.run.thumbnails = true;
        s.run.quick_view = true;
        s.run.map_kind = "M";
        s.run.topography = true;
        rivi::map_command(s);
    }
}

} // namespace

// LC: load a cell from a summary file.
void LC(control::Session& s)
{
    Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    con.endl();
    con.endl();
    con.line("Load a cell from a summary file generated by Latticor (SUM) or Chekcell (CKM)?");
    char kind = console::ask_code(
        con, "  Please select S=SUM, C=CKM or Q=quit (S/C/Q, default=S): ", "SCQ", "S",
        "S=SUM")[0];
    con.endl();
    if (kind == 'Q')
        return;
    const std::string ext = kind == 'C' ? "CKM" : "SUM";
    con.line("Drive / directory information followed by listing of Latticor summary files");
    const std::string dir = dataset::data_directory_text(s);
    con.line("in currently selected directory, sorted into name order:  " + dir + "*." + ext);
    files::list_files(s, dir, "*", ext);

    const bool loaded = ds.Nobs != 0 || ds.Ctype != 0;
    std::string name;
    for (;;) {
        name = console::read_normalised_reply(
            con, "Select summary file - called (omitting ." + ext + ", default = " +
                     (loaded ? ds.Dset : std::string("no change")) + "): ");
        if (name.empty()) {
            name = console::squeeze_upper(ds.Dset);
            con.put("( " + name + " )");
        }
        con.endl();
        if (valid_file_name(name))
            break;
        con.line(invalid_name_message);
    }

    SummaryFile sf;
    sf.name = name + "." + ext;
    sf.path = dataset::data_file_path(s, name, "." + ext);
    if (!open_summary(s, sf))
        return;
    int first = 1;
    for (;;) {
        bool at_end = list_page(s, sf, first);
        int seq = 0;
        char answer = page_answer(con, first == 1, at_end, seq);
        if (answer == 'Q')
            return;
        if (answer == 'S') {
            load_cell(s, sf, seq);
            return;
        }
        if (answer == 'N') {
            first += page_size;
            continue;
        }
        first = std::max(1, first - page_size);
        sf.file.close();
        if (sf.file.open_read(sf.path) != 0 || !skip_to(sf.file, first)) {
            con.line("Failed to re-open summary file while repositioning");
            return;
        }
    }
}

} // namespace indexing
