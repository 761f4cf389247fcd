// The dataset file (.CDT) reader and writer and the Powder CIF writer.
#include "dataset/cdt_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "dataset/model.hpp"

namespace dataset {

std::string build_datestamp(const control::Session& s, std::string_view name)
{
    return "Latticor " + s.version.version + " dataset, saved as " + std::string(name) + " on " +
           console::date_stamp() + " at " + console::time_stamp();
}

bool current_form_stamp(std::string_view first_string)
{
    return first_string.size() > 8 && console::upper(first_string.substr(0, 4)) == "LATT";
}

// ---- writing ----

namespace {

// Writes the fields of one line with commas between them; remembers whether
// any write failed.
class LineWriter {
public:
    LineWriter(console::Console& con, TextFile& f) : con_(con), f_(f) {}

    LineWriter& real(double x, int w, int d) { sep(); ok_ &= wr_dbl(con_, f_, x, w, d, 0); return *this; }
    LineWriter& integer(long long i, int w) { sep(); ok_ &= wr_int(con_, f_, i, w, 0); return *this; }
    // A string field cannot hold a double quote: one would end it early and
    // leave a file that cannot be read back, so it is written as an apostrophe.
    LineWriter& quoted(std::string_view t)
    {
        sep();
        ok_ &= wr_str(con_, f_, "\"" + console::quotes_to_apostrophes(t) + "\"", 0);
        return *this;
    }
    void end()
    {
        ok_ &= wr_str(con_, f_, "", 1);
        first_ = true;
    }
    bool ok() const { return ok_; }

private:
    void sep()
    {
        if (!first_)
            ok_ &= wr_str(con_, f_, ",", 0);
        first_ = false;
    }

    console::Console& con_;
    TextFile& f_;
    bool ok_ = true;
    bool first_ = true;
};

bool selected(const Dataset& ds, int i, LineSelection which)
{
    switch (which) {
    case LineSelection::excluded: return !ds.included[i];
    case LineSelection::included: return ds.included[i];
    default: return true;
    }
}

// Intensities: codes as integers; measured values without decimals when
// they are whole numbers (either sign), else with 8 decimals.
void write_intensity(LineWriter& w, const Dataset& ds, double oi)
{
    if (ds.ikind == 0)
        w.real(oi, 3, 0);
    else if (std::fabs(oi - std::trunc(oi)) <= 1e-7)
        w.real(oi, 12, 0);
    else
        w.real(oi, 12, 8);
}

} // namespace

bool write_dataset(control::Session& s, Dataset& ds, TextFile& f, std::string_view name,
                   LineSelection which)
{
    const bool automatic = s.files.auto_reload;
    if (!(automatic && current_form_stamp(ds.Datestamp)))
        ds.Datestamp = build_datestamp(s, name);
    const std::string stored_name = automatic ? ds.Dset : std::string(name);

    int count = 0;
    for (int i = 1; i <= ds.Nobs; ++i)
        if (selected(ds, i, which))
            ++count;

    LineWriter w(s.con, f);
    w.quoted(ds.Datestamp).end();
    w.quoted(ds.Title).end();
    w.quoted("[" + std::to_string(ds.Iflag) + "," + std::to_string(ds.ikind) + "] " + warning_text).end();
    w.quoted(stored_name).integer(count, 1).integer(ds.Ctype, 1).integer(ds.Ncalc, 1);
    w.real(ds.Qmax, 10, 13).integer(ds.Gflag, 1).real(ds.W0, 10, 8).real(ds.Z2Th, 10, 13);
    w.integer(ds.Dflag, 1).quoted(ds.Abs).end();

    for (int i = 1; i <= ds.Nobs; ++i) {
        if (!selected(ds, i, which))
            continue;
        w.real(ds.OQ[i], 19, 13).integer(ds.OH[i], 3).integer(ds.OK[i], 3).integer(ds.OL[i], 3);
        w.real(ds.OT[i], 17, 13);
        write_intensity(w, ds, ds.OI[i]);
        w.end();
    }
    if (ds.Ctype != 0) {
        for (int i = 1; i <= 6; ++i) {
            w.real(ds.DD[i], 17, 13).real(ds.PP[i], 18, 13).real(ds.QQ[i], 19, 13);
            w.real(ds.RR[i], 15, 13).real(ds.DSC[i], 16, 13).real(ds.RSC[i], 16, 13);
            w.integer(ds.GL[i], 3).end();
        }
    }
    for (int i = 1; i <= ds.Ncalc; ++i) {
        w.real(ds.CQ[i], 19, 13).integer(ds.CH[i], 3).integer(ds.CK[i], 3).integer(ds.CL[i], 3);
        w.end();
    }
    return w.ok();
}

// ---- reading ----

namespace {

std::string number_text(double x);

// Reads the fields of one file in order; the first failure stops the rest
// and keeps the label of the field that failed.
class FieldReader {
public:
    FieldReader(console::Console& con, TextFile& f) : con_(con), f_(f) {}

    bool failed() const { return !label_.empty(); }
    const std::string& label() const { return label_; }
    void fail(std::string label)
    {
        if (!failed())
            label_ = std::move(label);
    }

    void real(double& x, const std::string& label)
    {
        if (!failed() && read_double(con_, f_, x) != 0)
            fail(label);
    }
    void integer(int& i, const std::string& label)
    {
        if (!failed() && read_integer(con_, f_, i) != 0)
            fail(label);
    }
    void text(std::string& t, const std::string& label)
    {
        if (!failed() && read_quoted(con_, f_, t) != 0)
            fail(label);
    }

    // Numbers outside the range of their field fail the read as one that
    // does not convert would, after a line saying why. `none` (0) stands
    // for a value not given.
    void real_in(double& x, const std::string& label, double lo, double hi, bool zero_is_none = false)
    {
        real(x, label);
        if (!failed() && !(zero_is_none && x == 0.0) && !(x >= lo && x <= hi))
            out_of_range(label, number_text(x), number_text(lo), number_text(hi));
    }
    void integer_in(int& i, const std::string& label, int lo, int hi)
    {
        integer(i, label);
        if (!failed() && (i < lo || i > hi))
            out_of_range(label, std::to_string(i), std::to_string(lo), std::to_string(hi));
    }

private:
    void out_of_range(const std::string& label, const std::string& value, const std::string& lo,
                      const std::string& hi)
    {
        con_.line("** " + label + " = " + value + " is out of range (" + lo + " to " + hi + ") **");
        fail(label);
    }

    console::Console& con_;
    TextFile& f_;
    std::string label_;
};

// The shortest text that reads back as x, whole numbers of ordinary size
// without an exponent: no fixed width shows both 1e308 and 0.01.
std::string number_text(double x)
{
    char buf[32];
    const bool whole = std::fabs(x) < 1e15 && x == std::trunc(x);
    const auto r = whole ? std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed)
                         : std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

std::string indexed(const char* name, int i) { return std::string(name) + "[" + std::to_string(i) + "]"; }

bool is_flag(char c) { return c == '0' || c == '1'; }

// The bracketed prefix "[i,k]" of the warning line: Iflag and the intensity
// kind. A prefix whose flags are not 0 or 1 does not describe the file.
bool read_warning_flags(const std::string& warning, Dataset& ds)
{
    if (warning.size() < 4 || !is_flag(warning[1]) || !is_flag(warning[3]))
        return false;
    ds.Iflag = warning[1] - '0';
    ds.ikind = warning[3] - '0';
    return true;
}

// Step 4 of the reading: the name stored in the file against the working name.
void check_stored_name(control::Session& s, Dataset& ds, const std::string& stored)
{
    console::Console& con = s.con;
    if (s.files.auto_reload) {
        if (!s.files.own_file && is_plain_name(stored) && !stored.empty()) {
            ds.Dset = stored;
            ds.prev_name = stored;
        }
        return;
    }
    if (stored == ds.Dset || stored.empty() || !is_plain_name(stored))
        return;
    con.endl();
    con.line("Do you want to use \"" + stored + "\" as working name instead of \"" + ds.Dset + "\"?");
    std::string reply = console::ask_code(con, "  (Y/N, default Y): ", "YN", "Y", "(Yes)");
    if (reply[0] == 'Y') {
        ds.Dset = stored;
        con.put("  ok");
    }
    con.endl();
}

void infer_intensity_flags(Dataset& ds)
{
    ds.Iflag = ds.OI[1] != 0.0 ? 1 : 0;
    ds.ikind = 0;
    for (int i = 1; i <= ds.Nobs; ++i) {
        double a = std::fabs(ds.OI[i]);
        if (a - std::floor(a) > 1e-7)
            ds.ikind = 1;
    }
    if (ds.Imax > 9.0)
        ds.ikind = 1;
}

void set_intensity_codes(Dataset& ds)
{
    if (ds.ikind == 0) {
        for (int i = 1; i <= ds.Nobs; ++i)
            ds.icode[i] = static_cast<int>(std::lround(std::clamp(ds.OI[i], -99.0, 99.0)));
    } else {
        derive_intensity_codes(ds);
    }
}

} // namespace

bool read_dataset(control::Session& s, Dataset& ds, TextFile& f)
{
    console::Console& con = s.con;
    FieldReader r(con, f);

    std::string first;
    r.text(first, "Descr");
    std::string stored;
    bool flags_stored = false;
    if (!r.failed()) {
        ds.Datestamp = first;
        if (current_form_stamp(first)) {
            std::string warning;
            r.text(ds.Title, "Title");
            r.text(warning, "Vwarn");
            if (!r.failed() && !warning.empty() && warning[0] == '[') {
                flags_stored = true;
                if (!read_warning_flags(warning, ds))
                    r.fail("Vwarn");
            }
            if (!r.failed()) {
                con.endl();
                con.endl();
                con.line("Title:  " + ds.Title);
                con.line(ds.Datestamp);
            }
            r.text(stored, "FDset");
        } else {
            stored = first;
            ds.Title = default_title;
            con.endl();
            con.line("(LATT dataset saved prior to v9.30 - no stored title)");
        }
    }
    if (!r.failed())
        check_stored_name(s, ds, stored);

    int nobs = 0, ncalc = 0;
    r.integer_in(nobs, "Nobs", 0, max_file_lines);
    r.integer_in(ds.Ctype, "Ctype", 0, 3);
    r.integer_in(ncalc, "Ncalc", 0, max_file_lines);
    r.real_in(ds.Qmax, "Qmax", 0.0, max_qmax);
    r.integer_in(ds.Gflag, "Gflag", 0, 1);
    // A wavelength of 0 is one not supplied (LI then assumes CuKa1).
    double w0 = ds.W0;
    r.real_in(w0, "W0", min_wavelength, max_wavelength, true);
    r.real(ds.Z2Th, "Z2Th");
    if (!r.failed())
        ds.set_wavelength(w0);
    r.integer_in(ds.Dflag, "Dflag", 0, 1);
    std::string abs;
    r.text(abs, "BravAbs");
    if (!r.failed()) {
        int code = ds.abs_code;
        if (parse_absences(con, abs, code)) {
            ds.Abs = abs;
            ds.abs_code = code;
        }
    }

    // Lines beyond the capacity are read and dropped, so that what follows
    // them is still found.
    for (int i = 1; i <= nobs && !r.failed(); ++i) {
        double q = 0, t = 0, in = 0;
        int h = 0, k = 0, l = 0;
        r.real_in(q, indexed("OQ", i), 0.0, max_q);  // 0: stored by 2Theta only
        r.integer_in(h, indexed("OH", i), -max_index, max_index);
        r.integer_in(k, indexed("OK", i), -max_index, max_index);
        r.integer_in(l, indexed("OL", i), -max_index, max_index);
        r.real(t, indexed("OT", i));
        r.real(in, indexed("OI", i));
        if (i <= max_obs && !r.failed()) {
            ds.OQ[i] = q;
            ds.OH[i] = h;
            ds.OK[i] = k;
            ds.OL[i] = l;
            ds.OT[i] = t;
            ds.OI[i] = in;
        }
    }
    if (!r.failed()) {
        ds.Nobs = nobs > max_obs ? max_obs : nobs;
        if (ds.Nobs >= 1) {
            ds.Imax = 0.0;
            for (int i = 1; i <= ds.Nobs; ++i)
                ds.Imax = std::max(ds.Imax, std::fabs(ds.OI[i]));
            if (!flags_stored)
                infer_intensity_flags(ds);
            set_intensity_codes(ds);
        }
    }

    if (ds.Ctype > 0) {
        for (int i = 1; i <= 6 && !r.failed(); ++i) {
            if (i <= 3)  // a side of 0 is one not given: no valid cell
                r.real_in(ds.DD[i], indexed("DD", i), min_cell_side, max_cell_side, true);
            else
                r.real(ds.DD[i], indexed("DD", i));
            r.real(ds.PP[i], indexed("PP", i));
            r.real(ds.QQ[i], indexed("QQ", i));
            r.real(ds.RR[i], indexed("RR", i));
            r.real(ds.DSC[i], indexed("DSC", i));
            r.real(ds.RSC[i], indexed("RSC", i));
            r.integer_in(ds.GL[i], indexed("GL", i), -max_index, max_index);
        }
    }
    if (!r.failed())
        ds.cell_valid = ds.DD[1] * ds.DD[2] * ds.DD[3] != 0.0 ? 1 : 0;

    for (int i = 1; i <= ncalc && !r.failed(); ++i) {
        double q = 0;
        int h = 0, k = 0, l = 0;
        r.real_in(q, indexed("CQ", i), 0.0, max_qmax);
        r.integer_in(h, indexed("CH", i), -max_index, max_index);
        r.integer_in(k, indexed("CK", i), -max_index, max_index);
        r.integer_in(l, indexed("CL", i), -max_index, max_index);
        if (i <= max_calc && !r.failed()) {
            ds.CQ[i] = q;
            ds.CH[i] = h;
            ds.CK[i] = k;
            ds.CL[i] = l;
        }
    }

    if (r.failed()) {
        con.endl();
        con.line("** Failed to read " + r.label() + " in dataset \"" + ds.Dset +
                 "\" found in directory" + data_directory_text(s) + " **");
        con.line("** Command ignored **");
        f.close();
        return false;
    }
    ds.Ncalc = ncalc > max_calc ? max_calc : ncalc;

    // A pattern stored by 2Theta only: Q from the stored wavelength and zero.
    if (ds.Nobs > 0 && ds.OQ[1] == 0.0) {
        for (int i = 1; i <= ds.Nobs; ++i) {
            double q = ds.OQ[i];
            if (q_from_2theta(ds, ds.OT[i], ds.Z2Th, q))
                ds.OQ[i] = q;
            else
                con.line("  ** Can't calculate valid Qobs from 2theta for line " + std::to_string(i) + " **");
        }
    }
    f.close();
    cell::compute_q2a(ds);
    return true;
}

// ---- Powder CIF ----

namespace {

// How a CIF text value is delimited so that every reader takes it whole.
enum class CifQuotes { single, twin, text_field };

CifQuotes cif_quotes(std::string_view t)
{
    // A quote closes its string only where white space follows it, so
    // single quotes hold any apostrophe but one before a blank.
    auto closes_early = [&](char q) {
        for (std::size_t i = 0; i + 1 < t.size(); ++i)
            if (t[i] == q && (t[i + 1] == ' ' || t[i + 1] == '\t'))
                return true;
        return false;
    };
    if (!closes_early('\''))
        return CifQuotes::single;
    if (!closes_early('"'))
        return CifQuotes::twin;
    return CifQuotes::text_field;
}

} // namespace

bool write_cif(control::Session& s, TextFile& f, std::string_view block_name,
               std::string_view cif_title)
{
    console::Console& con = s.con;
    const Dataset& ds = s.ds;
    bool ok = true;
    auto text = [&](std::string_view t) { ok &= wr_str(con, f, t, 1); };
    // The number's own leading blanks part it from the tag; one that fills
    // its width (a side of 100 A or more) gets a blank of its own.
    auto item = [&](std::string_view key, double x, int w, int d) {
        const bool fills = console::real_text(x, w, d)[0] != ' ';
        ok &= wr_str(con, f, fills ? std::string(key) + " " : std::string(key), 0);
        ok &= wr_dbl(con, f, x, w, d, 1);
    };
    auto value = [&](const std::string& t) {
        switch (cif_quotes(t)) {
        case CifQuotes::single: text("'" + t + "'"); break;
        case CifQuotes::twin: text("\"" + t + "\""); break;
        case CifQuotes::text_field:  // from a line beginning ";" to the next
            text(";" + t);
            text(";");
            break;
        }
    };
    // Every CIF reader begins at a data block header.
    text("data_" + std::string(block_name));
    text("_pd_block_ID");
    value(std::string(cif_title));
    text("_computing_data_reduction");
    value("Latticor " + s.version.version + ", " + s.version.build_date);
    item("_diffrn_radiation_wavelength", ds.W0, 10, 7);
    if (ds.Ctype != 0) {
        item("_cell_length_a", ds.DD[1], 10, 6);
        item("_cell_length_b", ds.DD[2], 10, 6);
        item("_cell_length_c", ds.DD[3], 10, 6);
        item("_cell_angle_alpha", ds.DD[4], 10, 5);
        item("_cell_angle_beta ", ds.DD[5], 10, 5);
        item("_cell_angle_gamma", ds.DD[6], 10, 5);
    }
    if (ds.Nobs != 0) {
        text("loop_");
        text("_pd_proc_d_spacing");
        for (int i = 1; i <= ds.Nobs; ++i) {
            if (ds.OQ[i] > 0.0)
                ok &= wr_dbl(con, f, std::sqrt(10000.0 / ds.OQ[i]), 14, 8, 1);
            else
                text(console::blanks(13) + "?");  // no d-spacing: CIF's unknown value
        }
        text("");
    }
    return ok;
}

} // namespace dataset
