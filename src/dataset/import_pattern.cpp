// Steps shared by the peak-list readers: free-format fields, the peak file
// question, and the change of an imported list into the working dataset.
#include <string>

#include "console/console.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "dataset/import.hpp"
#include "dataset/model.hpp"

namespace dataset {

// ---- reading text ----

bool read_text_line(TextFile& f, std::string& text)
{
    text.clear();
    int c = f.get();
    if (c == EOF)
        return false;
    for (; c != EOF && c != '\n'; c = f.get())
        text += static_cast<char>(c);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    return f.read_error() == 0;
}

namespace {

bool is_white(int c) { return c != EOF && c <= ' '; }

} // namespace

int FreeFields::skip_white()
{
    for (;;) {
        int c = f_.peek();
        if (!is_white(c))
            return c;
        f_.get();
        if (c == '\n')
            ++line_;
    }
}

FreeFields::Status FreeFields::number(double& x)
{
    int c = skip_white();
    field_line_ = line_;
    if (c == EOF)
        return f_.read_error() != 0 ? Status::bad : Status::end_of_file;
    std::string text;
    // The field runs to the next white space, so "12.5,100" is one field and
    // fails as a whole: only white space separates numbers.
    for (c = f_.peek(); c != EOF && !is_white(c); c = f_.peek())
        text += static_cast<char>(f_.get());
    if (f_.read_error() != 0)
        return Status::bad;
    return console::parse_real(text, x) ? Status::ok : Status::bad;
}

bool FreeFields::whole_line(std::string& text)
{
    bool read = read_text_line(f_, text);
    if (read)
        ++line_;
    return read;
}

void FreeFields::skip_line()
{
    std::string rest;
    whole_line(rest);
}

bool FreeFields::more() { return skip_white() != EOF; }

// ---- a peak list being read ----

void Import::clear_pattern(Dataset& d)
{
    for (int i = 1; i <= d.Nobs; ++i) {
        d.OQ[i] = 0.0;
        d.OT[i] = 0.0;
        d.OI[i] = 0.0;
        d.icode[i] = 0;
    }
    d.Nobs = 0;
    clear_indices(d);
    // Exclusions belong to the lines of the old pattern.
    d.included.fill(true);
    d.Title = default_title;
}

bool Import::add_peak(double two_theta, double intensity)
{
    if (full())
        return false;
    int n = ++ds->Nobs;
    ds->OT[n] = two_theta;
    ds->OI[n] = intensity;
    return true;
}

void import_failed(control::Session& s, const std::string& text)
{
    s.con.endl();
    s.con.line("** " + text + " **");
}

bool wavelength_from_text(std::string_view text, double& w)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    const std::string_view t = first == std::string_view::npos ? "" : text.substr(first, last - first + 1);
    double v = 0.0;
    // Every 2Theta conversion needs a positive wavelength.
    if (!console::parse_real(t, v) || !(v > 0.0))
        return false;
    w = v;
    return true;
}

bool ask_peak_file(control::Session& s, const std::string& prompt, std::string_view extension,
                   std::string_view missing, bool blank_before_missing, std::string& name,
                   std::string& path)
{
    console::Console& con = s.con;
    for (;;) {
        name = console::read_normalised_reply(con, prompt);
        if (name.empty()) {
            con.put("( Exit )");
            con.endl();
            return false;
        }
        con.endl();
        if (!is_plain_name(name)) {
            con.line("** \"" + name + "\" is not a file in the data directory: names cannot contain "
                     "\"/\", \"\\\", \"..\" or double quotes **");
            continue;
        }
        if (file_exists_in_data_dir(s, name, extension, path))
            return true;
        if (blank_before_missing)
            con.endl();
        con.line("**  " + std::string(missing) + " \"" + path + "\" found in directory " +
                 data_directory_text(s) + " **");
    }
}

// ---- turning the list into the working dataset ----

bool finish_import(control::Session& s, Import& im)
{
    Dataset& ds = *im.ds;
    if (ds.Nobs == 0)
        return im.fail("No peaks could be read from " + im.file);
    ds.Dflag = 1;
    ds.set_wavelength(ds.W0);
    ds.Z2Th = 0.0;
    for (int i = 1; i <= ds.Nobs; ++i) {
        if (!q_from_2theta(ds, ds.OT[i], 0.0, ds.OQ[i]))
            return im.fail("Can't calculate a d-spacing for line " + std::to_string(i));
    }
    // The readers' intensities are measured values (a fitted height or
    // area): they are kept as such and shown through derived codes.
    ds.Iflag = im.intensities ? 1 : 0;
    ds.ikind = im.intensities ? 1 : 0;
    if (im.intensities)
        derive_intensity_codes(ds);
    else
        ds.Imax = 0.0;
    // A d-spacing list in falling order of d, or a list out of order, is put
    // into the ascending order of Q that every other command relies on.
    if (out_of_order(ds)) {
        s.con.endl();
        order_by_q(s.con, ds, true);
    }

    // The settings of the previous dataset do not belong to this pattern.
    ds.Qmax = ds.OQ[ds.Nobs] + 50.0;
    ds.Ctype = 0;
    ds.cell_valid = 0;
    ds.Gflag = 0;
    ds.GL.fill(0);
    ds.Abs = "P";
    ds.abs_code = 1;
    ds.Ncalc = 0;
    ds.Nloaded = ds.Nobs;
    return true;
}

namespace {

// Asked until the answer is a plain name of 1 to 8 characters; the
// question line is left open behind the name accepted.
std::string ask_working_name(console::Console& con)
{
    for (;;) {
        std::string name = console::read_normalised_reply(
            con, "What is the working name for this new dataset (1 to 8 chars): ");
        if (!name.empty() && name.size() <= 8 && is_plain_name(name))
            return name;
        con.endl();
        if (name.size() > 8)
            con.line("** A dataset name has at most 8 characters **");
        else if (!name.empty())
            check_plain_name(con, name);  // says what is wrong with it
    }
}

} // namespace

void adopt_import(control::Session& s, Import& im, int data_type, std::string_view save_code)
{
    console::Console& con = s.con;
    s.ds = *im.ds;
    s.pattern.ob_type = data_type;
    con.endl();
    s.ds.prev_name = s.ds.Dset;
    s.ds.Dset = ask_working_name(con);
    con.endl();
    std::string reply = console::ask_code(
        con, "Do you want to save this imported dataset now (Y/N, default=Y)? ", "YN", "Y", "(Y)");
    con.endl();
    if (reply[0] == 'Y') {
        con.endl();
        save_dataset(s, save_code);
    }
}

} // namespace dataset
