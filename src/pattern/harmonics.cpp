// HO: for each observed line, its possible lower orders or its possible
// higher orders (n^2 x Q), within a tolerance in 2Theta or in Q.
#include "pattern/harmonics.hpp"

#include <array>
#include <cmath>
#include <string>

#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "pattern/commands.hpp"

namespace pattern {

using console::int_text;
using console::real_text;

HarmonicsSettings& harmonics_settings()
{
    static HarmonicsSettings run;
    return run;
}

double ask_tolerance(console::Console& con, std::string_view question,
                     std::string_view current_line, double current, double highest,
                     std::string_view range_message)
{
    con.line(question);
    con.line(current_line);
    for (;;) {
        const double v =
            console::ask_real_lines(con, "  Input new value:  ", "", current, 0, 0, "", "NC", 2).value;
        if (v >= 0.0 && v <= highest)
            return v;
        con.line(range_message);
        con.endl();
    }
}

namespace {

// Orders are considered up to Q(last) + 1.5 upwards and down to Q(1) - 1.5,
// whatever tolerance was entered.
constexpr double order_margin = 1.5;
// A first line within the margin of Q = 0 sets no lower bound downwards.
constexpr int max_order = 100;

// The corrected 2Theta of line k, that is its true angle: the stored angle
// plus Z2Th, or for a line known only by its Q the angle of that Q.
bool line_angle(const dataset::Dataset& ds, int k, double& two_theta)
{
    if (ds.OT[k] != 0.0) {
        two_theta = ds.OT[k] + ds.Z2Th;
        return true;
    }
    return dataset::two_theta_from_q(ds, ds.OQ[k], 0.0, two_theta);
}

// The orders n = 2, 3, ... of line i in one direction, as Q and, for the
// 2Theta criterion, as true angles (compared with corrected angles, so that a
// zero correction does not shift one side only).
struct Orders {
    int count = 0;  // orders 2 .. count + 1
    std::array<double, max_order + 1> q{};
    std::array<double, max_order + 1> two_theta{};
    std::array<bool, max_order + 1> has_angle{};
};

Orders orders_of(const dataset::Dataset& ds, int i, Direction direction)
{
    Orders o;
    for (int n = 2; n <= max_order; ++n) {
        const double q = direction == Direction::up ? n * n * ds.OQ[i] : ds.OQ[i] / (n * n);
        if (direction == Direction::up ? !(q < ds.OQ[ds.Nobs] + order_margin)
                                       : !(q > ds.OQ[1] - order_margin))
            break;
        o.count = n - 1;
        o.q[n] = q;
        o.has_angle[n] = dataset::two_theta_from_q(ds, q, 0.0, o.two_theta[n]);
    }
    return o;
}

std::string match_line(bool by_angle, int i, double vi, int n, double vn, int j, double vj, double d)
{
    auto value = [by_angle](double v) { return by_angle ? real_text(v, 7, 3) : real_text(v, 8, 3); };
    return int_text(i, 3) + " (" + value(vi) + ") possible " + int_text(n, 2) + "-order (" +
           value(vn) + ") of " + int_text(j, 3) + " (" + value(vj) +
           (by_angle ? "), 2Thdif = " : "), diff = ") + real_text(d, 6, 3);
}

// The screen (paged with the plain pause) and, when open, the copy file.
class HarmonicsOutput : public console::Sink {
public:
    HarmonicsOutput(console::Console& con, console::Sink* copy) : con_(con), copy_(copy) {}
    void put(std::string_view text) override
    {
        con_.put(text);
        if (copy_ != nullptr)
            copy_->put(text);
    }
    void endl() override
    {
        con_.endl();
        if (copy_ != nullptr)
            copy_->endl();
        if (++count_ > 23) {
            console::pause(con_);
            count_ = 0;
        }
    }

private:
    console::Console& con_;
    console::Sink* copy_;
    int count_ = 7;  // the lines of the dialogue above the results
};

} // namespace

void harmonics_search(const dataset::Dataset& ds, Criterion criterion, Direction direction,
                      double tolerance, console::Sink& out)
{
    const bool by_angle = criterion == Criterion::two_theta;
    const bool up = direction == Direction::up;
    for (int i = up ? 1 : 2; i <= (up ? ds.Nobs - 1 : ds.Nobs); ++i) {
        double ti = 0.0;
        if (!(ds.OQ[i] > 0.0) || (by_angle && !line_angle(ds, i, ti)))
            continue;
        const Orders o = orders_of(ds, i, direction);
        if (by_angle)
            for (int n = 2; n <= o.count + 1; ++n)
                if (!o.has_angle[n])
                    out.line("** 2Theta out of range for " + std::to_string(n) +
                             "-order of obs line " + std::to_string(i) + " **");
        bool matched = false;
        for (int j = up ? 2 : 1; j <= (up ? ds.Nobs : i); ++j) {
            double tj = 0.0;
            if (by_angle && !line_angle(ds, j, tj))
                continue;
            for (int n = 2; n <= o.count + 1; ++n) {
                if (by_angle && !o.has_angle[n])
                    continue;
                const double d = by_angle ? o.two_theta[n] - tj : o.q[n] - ds.OQ[j];
                if (!(std::fabs(d) < tolerance))
                    continue;
                out.line(by_angle ? match_line(true, i, ti, n, o.two_theta[n], j, tj, d)
                                  : match_line(false, i, ds.OQ[i], n, o.q[n], j, ds.OQ[j], d));
                matched = true;
            }
        }
        if (matched)
            out.endl();
    }
}

namespace {

void copy_heading(control::Session& s, console::Sink& copy, Criterion criterion,
                  Direction direction, double tolerance)
{
    const dataset::Dataset& ds = s.ds;
    copy.line("Higher/Lower Orders (harmonics) Analysis for dataset " + ds.Dset + " on " +
              console::date_stamp() + " at " + console::time_stamp() + " (v" +
              s.version.header_version + ")");
    copy.endl();
    copy.line(ds.Title == dataset::default_title ? ds.Title : ds.Dset + " = " + ds.Title);
    copy.endl();
    copy.line("Possible higher/lower-order relations among the observed lines" +
              (criterion == Criterion::two_theta
                   ? ", max 2Theta-difference = " + real_text(tolerance, 5, 3) + " deg"
                   : ", max Q-difference = " + real_text(tolerance, 4, 2) + " QU."));
    copy.endl();
    copy.line(direction == Direction::down
                  ? "For each obs line, display downwards (D) its possible lower-order lines"
                  : "For each obs line, display upwards (U) its possible higher-order lines");
    copy.endl();
}

double ask_harmonics_tolerance(console::Console& con, Criterion criterion)
{
    HarmonicsSettings& h = harmonics_settings();
    if (criterion == Criterion::q) {
        h.q_tolerance = ask_tolerance(
            con, "Input max Q-difference for including line as a possible harmonic",
            "  Current value = " + real_text(h.q_tolerance, 3, 1) + " QU.  (default=no change)",
            h.q_tolerance, 50.0, "** Must be in the range 0 to 50 **");
        return h.q_tolerance;
    }
    h.two_theta_tolerance = ask_tolerance(
        con, "Input max 2Theta-difference for including line as a possible harmonic",
        "  Current value = " + real_text(h.two_theta_tolerance, 5, 3) + " deg  (default=no change)",
        h.two_theta_tolerance, 0.25, "** Must be in the range 0 to 0.25 **");
    return h.two_theta_tolerance;
}

} // namespace

// HO: higher/lower orders (harmonics) analysis of the observed pattern.
void HO(control::Session& s)
{
    console::Console& con = s.con;
    con.lines(2);
    con.line("    HO - Higher/Lower Orders (harmonics) analysis of the observed pattern");
    con.endl();
    if (s.ds.Nobs < 2) {
        con.line(std::to_string(s.ds.Nobs) + " observed lines - too few for any higher orders");
        return;
    }
    const Criterion criterion =
        console::ask_code(con, "Criterion for acceptance to be 2Theta or Q (T/Q, default T): ",
                          "TQ", "T", "(T)")[0] == 'Q'
            ? Criterion::q
            : Criterion::two_theta;
    con.endl();
    const double tolerance = ask_harmonics_tolerance(con, criterion);

    con.line("For each observed line, display downwards (D) all base lines (lower orders) for");
    con.line("which it may be a higher order, or list upwards (U) its possible higher-orders.");
    const Direction direction =
        console::ask_code(con, "  Please enter D or U (default D): ", "DU", "D", "(D)")[0] == 'U'
            ? Direction::up
            : Direction::down;
    con.endl();

    console::Sink* copy = nullptr;
    if ((con.output_code & 2) != 0 && console::ensure_copy_open(s)) {
        copy = &s.out.copy;
        copy_heading(s, *copy, criterion, direction, tolerance);
    }
    HarmonicsOutput out(con, copy);
    harmonics_search(s.ds, criterion, direction, tolerance, out);
    console::report_end(s);
}

} // namespace pattern
