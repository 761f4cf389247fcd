// The free-format ASCII peak-list reader of IM: its questions on the file's
// layout, the title and wavelength lines, and the peak loop.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/import.hpp"
#include "dataset/model.hpp"
#include "files/commands.hpp"

namespace dataset {

namespace {

using console::real_text;

constexpr int max_fields = 50;  // fields per peak

void explain(console::Console& con)
{
    con.endl();
    con.line("In order to complete this import operation, you will need the name of the");
    con.line("ASCII peaks-list file that you wish to import, and should have checked that");
    con.line("it contains free-format data in the field-order that you will be specifying.");
    con.endl();
    con.line("It is safest for this file to have a DOS-style 8.3 character name, rather than");
    con.line("a long filename (preferably there should be no long names anywhere in the");
    con.line("directory path).  If not, it's recommended that you rename them using an");
    con.line("appropriate operating-system facility before proceeding.");
    console::pause(con);
    con.line("Although some flexibility in file format is allowed, the following limitations");
    con.line("must be observed:");
    con.endl();
    con.line("1) Only peaks-list files are supported, not raw profile data.");
    con.line("2) Only positions in 2Theta (degrees) or d-spacings (Angstroms) are supported.");
    con.line("3) There can be more than one peak per input line, but the first data field");
    con.line("   for each peak must contain the peak position.");
    con.line("4) Optionally a second data field for each peak can contain a quantitative");
    con.line("   intensity, but any additional fields such as peak width will be skipped.");
    con.line("5) Numerical data fields can only be separated or terminated with \"white space\"");
    con.line("   (i.e. space, tab or newline).  ** Any other character such as a comma will");
    con.line("   generate a read error and cause this Latticor run to be terminated **");
    con.endl();
    con.line("If your data file does not fit within the above limitations, you will need to");
    con.line("either first edit it manually, or use some other file-conversion program.");
    con.endl();
}

bool yes(console::Console& con, const std::string& prompt, char def, std::string_view message)
{
    return console::ask_code(con, prompt, "YN", std::string(1, def), message)[0] == 'Y';
}

// The extension: up to three letters or digits.
std::string ask_extension(console::Console& con)
{
    for (;;) {
        std::string ext = console::read_normalised_reply(
            con, "3-char extension for the datafile name (default: TXT):  ");
        if (ext.empty()) {
            con.put("(TXT)");
            con.endl();
            return "TXT";
        }
        con.endl();
        if (ext.size() <= 3 && std::all_of(ext.begin(), ext.end(), [](unsigned char c) {
                return std::isalnum(c) != 0;
            }))
            return ext;
        con.line("** An extension has 1 to 3 letters or digits **");
    }
}

// A number from `lowest` to `highest`, the default echoed behind ENTER.
int ask_number(console::Console& con, const std::string& prompt, int def, int lowest, int highest,
               const std::string& refusal)
{
    for (;;) {
        int n = console::ask_int(con, prompt, "", def, 1, "", "").value;
        con.endl();
        if (n >= lowest && n <= highest)
            return n;
        con.line("** " + refusal + " **");
    }
}

constexpr int no_limit = 1 << 30;
constexpr const char* numbered_from_1 = "Lines are numbered from 1";

AsciiLayout ask_layout(console::Console& con)
{
    AsciiLayout l;
    con.endl();  // the second line end after the file name
    if (yes(con, "Title line to be read from the file (Y/N, default=N)? ", 'N', "(No)")) {
        con.endl();
        l.title_line = ask_number(con, "Line number containing title line (default: 1): ", 1, 1,
                                  no_limit, numbered_from_1);
    } else {
        con.endl();
    }
    con.line("A wavelength can be read from the file, but only if on a separate line.");
    if (yes(con, "  Wavelength to be read (Y/N, default=N)? ", 'N', "(No)")) {
        con.endl();
        const int d = l.title_line + 1;
        for (;;) {
            l.wavelength_line = ask_number(
                con, "Line number containing wavelength (default: " + std::to_string(d) + "): ", d,
                1, no_limit, numbered_from_1);
            if (l.wavelength_line != l.title_line)
                break;
            con.line("** The wavelength must be on a line of its own, not on the title line **");
        }
    } else {
        con.endl();
    }
    con.line("What is the number of the first line containing diffraction-peak data?");
    con.line("[** Care: the run may terminate on a read error if this is too small **]");
    const int after = std::max(l.title_line, l.wavelength_line) + 1;
    l.first_data_line = ask_number(
        con, "  First line containing diffraction-peak data (default: " + std::to_string(after) + "): ",
        after, after, no_limit,
        after > 1 ? "The peak data must follow the title and wavelength lines" : numbered_from_1);

    // Two line ends after each answer; ask_number gives the first.
    con.endl();
    l.one_per_line = yes(con, "Is each peak on a separate input line (Y/N, default=Y)? ", 'Y', "(Yes)");
    con.lines(2);
    con.line(l.one_per_line ? "The first field on each line is assumed to be the peak position."
                            : "The first field for each peak is assumed to be the peak position.");
    std::string unit = console::ask_code(
        con, "  As 2Theta deg (T) or d-spacing in A (D) (T/D, default=T)? ", "TD", "T", "(2Theta)");
    l.unit = unit[0] == 'D' ? PeakUnit::d_spacing : PeakUnit::two_theta;
    con.lines(2);
    l.intensities =
        yes(con, "Does the second field contain the peak intensity (Y/N, default=N)? ", 'N', "(No)");
    con.lines(2);
    const int least = l.intensities ? 2 : 1;
    l.fields = ask_number(con, "How many fields are there for each peak (default: " +
                                   std::to_string(least) + "): ",
                          least, least, max_fields,
                          "The number of fields per peak must be from " + std::to_string(least) +
                              " to " + std::to_string(max_fields));
    con.endl();
    return l;
}

void show_title(control::Session& s, Import& im, const std::string& text)
{
    console::Console& con = s.con;
    con.line("  " + text);
    con.endl();
    std::string title = console::edit_line(con, 10, 24, 69, text, false, false);
    con.endl();
    con.line("giving:  " + title);
    im.ds->Title = console::quotes_to_apostrophes(title);
}

void show_wavelength(control::Session& s, Import& im, const std::string& text)
{
    console::Console& con = s.con;
    con.line("Wavelength record contains \"" + text + "\"");
    double w = 0.0;
    if (wavelength_from_text(text, w)) {
        con.line("  (converted value = " + real_text(w, 8, 6) + ")");
        im.ds->set_wavelength(w);
    } else {
        con.endl();
        con.line("** Couldn't convert \"" + text + "\": wavelength will have to be typed in");
    }
}

} // namespace

bool read_ascii_preamble(control::Session& s, Import& im, FreeFields& in, const AsciiLayout& layout)
{
    for (int n = 1; n < layout.first_data_line; ++n) {
        std::string text;
        if (!in.whole_line(text)) {
            // The first of the wanted lines that the file does not reach.
            int t = layout.title_line >= n ? layout.title_line : 0;
            int w = layout.wavelength_line >= n ? layout.wavelength_line : 0;
            if (t != 0 && (w == 0 || t < w))
                return im.fail("Error while reading title from line " + std::to_string(t) + " of " +
                               im.file);
            if (w != 0)
                return im.fail("Error while reading wavelength from line " + std::to_string(w) +
                               " of " + im.file);
            break;  // the peak loop finds the end of the file
        }
        if (n == layout.title_line)
            show_title(s, im, text);
        else if (n == layout.wavelength_line)
            show_wavelength(s, im, text);
    }
    s.con.endl();
    im.ds->set_wavelength(im.ds->W0);
    return true;
}

bool read_ascii_peaks(control::Session& s, Import& im, FreeFields& in, const AsciiLayout& layout)
{
    console::Console& con = s.con;
    Dataset& ds = *im.ds;
    const bool d_file = layout.unit == PeakUnit::d_spacing;
    im.intensities = layout.intensities;
    auto failed = [&](const std::string& what) {
        return im.fail("Error while reading " + what + " from line " + std::to_string(in.line()) +
                       " of " + im.file);
    };

    con.endl();
    con.line(std::string(" No.   2Theta       d           Q") + (layout.intensities ? "         Intensity" : ""));
    con.endl();
    console::Pager pager(con, 0);
    while (!im.full()) {
        double position = 0.0;
        FreeFields::Status got = in.number(position);
        if (got == FreeFields::Status::end_of_file)
            break;
        if (got == FreeFields::Status::bad)
            return failed(d_file ? "d-spacing" : "2Theta");

        // The stored 2Theta; 0 marks a position without one, which the
        // conversion to Q then refuses.
        double two_theta = position, d = 0.0, q = 0.0;
        if (d_file) {
            d = position;
            q = d > 0.0 ? q_from_d(d) : 0.0;
            if (!(d > 0.0 && two_theta_from_q(ds, q, 0.0, two_theta)))
                two_theta = 0.0;
        } else if (q_from_2theta(ds, two_theta, 0.0, q)) {
            d = 100.0 / std::sqrt(q);
        }
        pager.before_line();
        con.put(console::int_text(ds.Nobs + 1, 3) + real_text(two_theta, 10, 3) + real_text(d, 12, 6) +
                real_text(q, 12, 4));

        double intensity = 0.0;
        if (layout.intensities) {
            got = in.number(intensity);
            if (got == FreeFields::Status::bad)
                return failed("intensity");
            if (got == FreeFields::Status::end_of_file) {
                // A peak without its intensity is not taken.
                con.endl();
                con.line("End-of-file encountered");
                break;
            }
            con.put(real_text(intensity, 13, 3));
        }
        im.add_peak(two_theta, intensity);

        bool ended = false;
        if (layout.one_per_line) {
            in.skip_line();
        } else {
            for (int k = layout.intensities ? 3 : 2; k <= layout.fields && !ended; ++k) {
                double skipped = 0.0;
                got = in.number(skipped);
                if (got == FreeFields::Status::bad)
                    return failed("field " + std::to_string(k));
                ended = got == FreeFields::Status::end_of_file;
            }
        }
        con.endl();
        if (ended) {
            con.line("End-of-file encountered");
            break;
        }
        pager.after_line();
    }
    if (im.full() && in.more())
        con.line("** Only the first " + std::to_string(max_obs) + " peaks have been read **");
    return true;
}

// The ASCII reader: questions, then the file into a fresh pattern.
void import_ascii(control::Session& s)
{
    console::Console& con = s.con;
    explain(con);
    if (!yes(con, "Are you ready to proceed (Y/N, default=Y)? ", 'Y', "(Yes)")) {
        con.endl();
        return;
    }
    con.endl();
    const std::string ext = ask_extension(con);
    files::list_directory(s, "textfiles", data_directory_text(s), "*", ext);
    con.endl();
    std::string name, path;
    if (!ask_peak_file(s, "Name of ASCII datafile to be loaded (omitting ." + ext + ", default = exit): ",
                       "." + ext, "No file", false, name, path))
        return;
    const AsciiLayout layout = ask_layout(con);

    con.line("Opening ASCII datafile " + path);
    con.endl();
    TextFile f;
    if (f.open_read(path) != 0) {
        import_failed(s, "Failed to open ASCII data file " + path);
        return;
    }
    Import im(s.ds);
    im.file = path;
    FreeFields in(f);
    if (read_ascii_preamble(s, im, in, layout) && read_ascii_peaks(s, im, in, layout) &&
        finish_import(s, im)) {
        adopt_import(s, im, layout.unit == PeakUnit::d_spacing ? 4 : 2, "IM(AS)");
        return;
    }
    import_failed(s, im.error);
}

} // namespace dataset
