// The PowderX peak-list reader of IM: the peaks file of fixed-width fields
// (decimal commas allowed) and the wavelength and title of its ".CPI" file.
#include <string>

#include "console/console.hpp"
#include "console/field_editor.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/control_commands.hpp"
#include "control/session.hpp"
#include "dataset/import.hpp"
#include "files/commands.hpp"

namespace dataset {

namespace {

using console::real_text;

constexpr int field_width = 10;  // every PowderX column is ten characters wide

void explain(console::Console& con)
{
    con.line("In order to complete this import operation, you will need the name of the");
    con.line("PowderX peaks-list file that you wish to import, and should have checked that");
    con.line("it contains data in this format (and isn't some other .TXT file).");
    con.line("Similarly if you want to read the wavelength from an associated .CPI file");
    con.line("(instead of typing it in), you will need to know its filename, and to have");
    con.line("checked that it is in the right format with the wavelength present as line 6.");
    con.endl();
    con.line("It is safest for these file(s) to have DOS-style 8.3 character names, rather");
    con.line("than long filenames (preferably there should be no long names anywhere in the");
    con.line("directory path).  If not, it's recommended that you rename them using an");
    con.line("appropriate operating-system facility before proceeding.");
    con.endl();
}

// The ".CPI" file's listing and name; false when the import is to end.
bool ask_cpi_file(control::Session& s, std::string& path)
{
    console::Console& con = s.con;
    const std::string dir = data_directory_text(s);
    con.line("Drive / directory information followed by listing of .CPI files in");
    con.line("currently selected directory, sorted into name order:  " + dir + "*.CPI");
    control::run_os_command(s, "DIR " + dir + "*.CPI /ON /W", "O/S");
    if (s.run.os_exec_result != 0) {
        import_failed(s, "Directory listing failed, so there seems to be a problem");
        return false;
    }
    std::string name;
    if (!ask_peak_file(s, "Load PowderX peaks file - called (omitting .CPI, default = exit): ", ".CPI",
                       "No .CPI file", false, name, path))
        return false;
    con.endl();  // the second line end after the name
    return true;
}

// The default title: the ".CPI" title with its date, when both are there.
std::string cpi_title(const CpiRecord& cpi)
{
    if (cpi.title.empty())
        return default_title;
    if (cpi.date.empty())
        return cpi.title;
    return cpi.title + " (" + cpi.date + ")";
}

// The wavelength, confirmed or typed; a positive value.
double ask_wavelength(console::Console& con, const CpiRecord& cpi, double def)
{
    if (cpi.wavelength_read) {
        con.line("Please confirm the wavelength (" + real_text(def, 8, 6) + " A) read from the .cpi file by");
        con.line("pressing ENTER, or type in a new value:");
    }
    for (;;) {
        std::string prompt = cpi.wavelength_read
                                 ? "  Confirm/change the wavelength (default=" + real_text(def, 8, 6) + "): "
                                 : "Please type in the wavelength (default=" + real_text(def, 8, 6) + "): ";
        double w = console::ask_real(con, prompt, "", def, 8, 6, cpi.wavelength_read ? " A" : "", "")
                       .value;
        con.endl();
        if (w > 0.0)
            return w;
        con.line("** The wavelength must be positive **");
    }
}

// What follows the tenth column of a line after the peaks: more peaks, unless
// the line is blank or its 2Theta is 0.
bool more_peaks(console::Console& con, TextFile& f)
{
    if (f.at_eof())
        return false;
    std::string text;
    frd_text(con, f, field_width, text);
    double x = 0.0;
    std::string t = console::squeeze(text);
    for (char& c : t)
        if (c == ',')
            c = '.';
    return !t.empty() && !(console::parse_real(t, x) && x == 0.0);
}

} // namespace

bool read_cpi(control::Session& s, const std::string& path, CpiRecord& cpi, std::string& error)
{
    console::Console& con = s.con;
    TextFile f;
    if (f.open_read(path) != 0) {
        error = "Failed to open .CPI file (" + path + ")";
        return false;
    }
    con.line("Reading " + path + " ...");
    con.endl();
    auto line_of = [&](int n, std::string& text, const std::string& failure) {
        if (read_text_line(f, text))
            return true;
        error = failure.empty() ? "Read failed in line " + std::to_string(n) + " of " + path
                                : "Error while reading " + failure + " from line " + std::to_string(n) +
                                      " of " + path;
        return false;
    };
    std::string text;
    for (int n = 1; n <= 5; ++n) {
        if (!line_of(n, text, ""))
            return false;
        con.line("  " + text);
    }
    if (!line_of(6, text, "wavelength"))
        return false;
    con.put("  " + text);
    cpi.wavelength_read = wavelength_from_text(text, cpi.wavelength);
    if (cpi.wavelength_read) {
        con.line(console::blanks(10) + "(Wavelength read as " + real_text(cpi.wavelength, 8, 6) + ")");
    } else {
        con.endl();
        con.line("** Couldn't convert \"" + text + "\": wavelength will have to be typed in");
    }
    if (!line_of(7, text, "date"))
        return false;
    cpi.date = console::trim_right(text);
    con.line("  " + text);
    if (!line_of(8, text, ""))
        return false;
    con.line("  " + text);
    if (!line_of(9, text, "title"))
        return false;
    cpi.title = console::trim_right(text);
    con.line("  " + text);
    return true;
}

bool read_powderx_peaks(control::Session& s, Import& im, TextFile& f)
{
    console::Console& con = s.con;
    std::string heading;
    if (!read_text_line(f, heading))
        return im.fail("Error while reading heading from line 1 of " + im.file);
    con.line("   " + heading);
    con.endl();
    im.intensities = true;  // the peak areas

    static constexpr const char* names[5] = {"2Theta", "d-spacing", "peak height", "peak area", "fwhm"};
    console::Pager pager(con, 0);
    for (int line = 2; !im.full() && !f.at_eof(); ++line) {
        double v[5] = {};
        for (int k = 0; k < 5; ++k) {
            if (frd_dbl_comma(con, f, field_width, v[k]) != 0)
                return im.fail(std::string("Error while reading ") + names[k] + " from line " +
                               std::to_string(line) + " of " + im.file);
            if (k == 0 && v[0] == 0.0)
                return true;  // a 2Theta of 0 closes the list
        }
        skip_line(f);
        pager.before_line();
        con.line(console::int_text(im.ds->Nobs + 1, 3) + real_text(v[0], 10, 3) + real_text(v[1], 10, 5) +
                 real_text(v[2], 10, 1) + real_text(v[3], 10, 1) + real_text(v[4], 10, 4));
        im.add_peak(v[0], v[3]);
        pager.after_line();
    }
    if (im.full() && more_peaks(con, f))
        con.line("** Only the first " + std::to_string(max_obs) + " peaks have been read **");
    return true;
}

// The PowderX reader: the peaks file, the optional ".CPI" file, the title
// and the wavelength, then the peaks into a fresh pattern.
void import_powderx(control::Session& s)
{
    console::Console& con = s.con;
    explain(con);
    if (console::ask_code(con, "Are you ready to proceed (Y/N, default=Y)? ", "YN", "Y", "(Yes)")[0] != 'Y') {
        con.endl();
        return;
    }
    con.endl();
    const std::string dir = data_directory_text(s);
    files::list_directory(s, "textfiles", dir, "*", "TXT");
    con.endl();
    std::string name, path;
    if (!ask_peak_file(s, "Load PowderX peaks file - called (omitting .TXT, default = exit): ", ".TXT",
                       "No PowderX peaks file", true, name, path))
        return;

    CpiRecord cpi;
    const bool use_cpi = console::ask_code(
        con, "Do you want to get the wavelength, etc., from a .CPI file (Y/N, default=Y): ", "YN", "Y",
        "(Yes)")[0] == 'Y';
    con.endl();
    if (use_cpi) {
        std::string cpi_path, error;
        if (!ask_cpi_file(s, cpi_path))
            return;
        if (!read_cpi(s, cpi_path, cpi, error)) {
            import_failed(s, error);
            return;
        }
    }

    Import im(s.ds);
    im.file = path;
    Dataset& ds = *im.ds;
    con.lines(2);
    std::string title = console::edit_line(con, 10, 24, 69, cpi_title(cpi), false, false);
    con.endl();
    con.line("giving:  " + title);
    ds.Title = console::quotes_to_apostrophes(title);
    con.endl();
    const double def = cpi.wavelength_read ? cpi.wavelength : (use_cpi ? s.ds.W0 : cuka1);
    ds.set_wavelength(ask_wavelength(con, cpi, def));

    TextFile f;
    if (f.open_read(path) != 0) {
        import_failed(s, "Failed to open PowderX peakslist file " + path);
        return;
    }
    if (read_powderx_peaks(s, im, f) && finish_import(s, im)) {
        adopt_import(s, im, 1, "IM(PX)");
        return;
    }
    import_failed(s, im.error);
}

} // namespace dataset
