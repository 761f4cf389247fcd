// The pattern editor's line entry (I, A, C): the value in the pattern's own
// basis, the other quantity computed from it, the intensity, and the line
// stored in one step once every answer is in.
#include <cstdlib>
#include <optional>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "pattern/editor.hpp"

namespace pattern::editor {

using console::real_text;

namespace {

// A line as typed: its Q, its stored 2Theta (0 when there is none), and its
// intensity or code.
struct NewLine {
    double q = 0.0;
    double two_theta = 0.0;
    bool angle_ok = true;
    double intensity = 0.0;
};

// The scaling factor of typed 2Theta values, offered once per run of ED.
void ask_scale(control::Session& s)
{
    console::Console& con = s.con;
    double& F = s.pattern.F;
    if (s.pattern.ob_type == 2)  // a factor for sinsq theta means nothing for 2Theta
        F = 1.0;
    con.endl();
    con.line("Scaling factor F is used to multiply 2Theta on input");
    for (;;) {
        double f = console::ask_real(con, "Input new F (default: previous F = " +
                                              real_text(F, 8, 6) + "): ",
                                     "", F, 0, 0, "", "")
                       .value;
        con.endl();
        if (f > 0.0) {
            F = f;
            break;
        }
        con.line("** F must be greater than 0 **");
    }
}

// The 2Theta of the line; false when the entry ends here (ENTER for a new
// line, or an angle that gives no Q).
bool enter_two_theta(control::Session& s, Entry op, int n, NewLine& line)
{
    console::Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    const double F = s.pattern.F;
    const bool scaled = F != 1.0;
    const std::string inverse = real_text(1.0 / F, 8, 6);
    if (op != Entry::append)
        con.line("Existing 2Theta for line" + std::to_string(n) + " is" + real_text(ds.OT[n], 9, 5));
    std::string prompt;
    if (op == Entry::change)
        prompt = std::string("New") + (scaled ? " value for " + inverse + "*" : "") +
                 " 2Theta (default: no change): ";
    else
        prompt = (scaled ? inverse + "* " : "") + "2Theta for new line (default: pattern unchanged): ";

    std::optional<double> typed = ask_optional_real(con, prompt);
    double t = 0.0;
    if (typed) {
        t = *typed * F;
    } else if (op == Entry::change) {
        t = ds.OT[n];
        con.put((scaled ? " ( scaled value" : " (") + real_text(t, 9, 5) + ")");
    } else {
        con.put("(unchanged)");
        con.endl();
        return false;
    }
    // The line is refused rather than stored with a Q of 0.
    if (!dataset::q_from_2theta(ds, t, ds.Z2Th, line.q)) {
        con.put(" ** Yields invalid Q **");
        con.endl();
        return false;
    }
    line.two_theta = t;
    return true;
}

// The Q of the line; false when the entry ends here. A Q beyond the
// wavelength limit is kept without a 2Theta, as for any pattern typed as Q.
bool enter_q(control::Session& s, Entry op, int n, NewLine& line)
{
    console::Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    if (op != Entry::append)
        con.line("Existing Q value for line " + std::to_string(n) + " is " + real_text(ds.OQ[n], 7, 5));
    std::optional<double> typed;
    for (;;) {
        typed = ask_optional_real(con, op == Entry::change
                                           ? "New Q value (default: no change): "
                                           : "Q value for new line (default: pattern unchanged): ");
        // Beyond this a Q could not be saved and read back.
        if (!typed || *typed <= dataset::max_q)
            break;
        con.endl();
        con.line("** Q must not exceed " + real_text(dataset::max_q, 0, 0) + " QU. **");
    }
    double q = 0.0;
    if (typed) {
        q = *typed;
    } else if (op == Entry::change) {
        q = ds.OQ[n];
        con.put("(" + real_text(q, 7, 5) + ")");
    } else {
        con.put("(unchanged)");
        con.endl();
        return false;
    }
    if (!(q > 0.0)) {
        con.put(" ** Q must be greater than 0 **");
        con.endl();
        return false;
    }
    line.q = q;
    line.angle_ok = dataset::two_theta_from_q(ds, q, ds.Z2Th, line.two_theta);
    if (!line.angle_ok)
        line.two_theta = 0.0;
    return true;
}

// The intensity (measured) or code (qualitative) of the line, starting at
// column 47. ENTER keeps the value of a changed line and asks again for a
// new one.
double enter_intensity(control::Session& s, Entry op, int n)
{
    console::Console& con = s.con;
    const dataset::Dataset& ds = s.ds;
    const bool measured = ds.ikind == 1;
    for (;;) {
        con.put(console::pad_to_column(con, 47));
        std::optional<double> value;
        if (measured) {
            value = ask_optional_real(con, " Intensity: ");
        } else if (std::optional<int> code = ask_optional_int(con, " Icode (1-9): ")) {
            value = *code;
        }
        if (!value && op == Entry::change) {
            if (measured)
                con.put(real_text(ds.OI[n], 15, 3));
            else
                con.put(console::int_text(ds.icode[n], 2));
            return measured ? ds.OI[n] : ds.icode[n];
        }
        // Codes outside -9..9 have no text and mean nothing to the other commands.
        if (value && (measured || std::abs(*value) <= 9.0))
            return *value;
        if (value)
            con.put(" ** Out of range **");
        con.endl();
    }
}

void store(dataset::Dataset& ds, Entry op, int n, const NewLine& line)
{
    if (op == Entry::insert)
        open_line(ds, n);
    else if (op == Entry::append)
        ds.Nobs = n;
    if (op != Entry::change && ds.Iflag == 0) {
        ds.OI[n] = 0.0;
        ds.icode[n] = 0;
    }
    ds.OQ[n] = line.q;
    ds.OT[n] = line.two_theta;
    ds.OH[n] = ds.OK[n] = ds.OL[n] = 0;
    if (ds.Iflag == 1) {
        ds.OI[n] = line.intensity;
        if (ds.ikind == 0)
            ds.icode[n] = static_cast<int>(line.intensity);
        else
            dataset::derive_intensity_codes(ds);
    }
}

} // namespace

void enter_line(control::Session& s, Entry op, int n, bool& scale_asked)
{
    console::Console& con = s.con;
    dataset::Dataset& ds = s.ds;
    const bool angles = ds.Dflag == 1;
    if (angles && !scale_asked) {
        ask_scale(s);
        scale_asked = true;
    }
    NewLine line;
    if (!(angles ? enter_two_theta(s, op, n, line) : enter_q(s, op, n, line)))
        return;
    if (ds.Iflag == 1)
        line.intensity = enter_intensity(s, op, n);
    store(ds, op, n, line);
    if (ds.Iflag == 1)
        con.put(" = " + dataset::intensity_code_text(ds.icode[n]));
    if (!line.angle_ok)
        con.put(" ** Yields invalid 2theta **");
    con.endl();
}

} // namespace pattern::editor
