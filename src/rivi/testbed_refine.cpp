// Testbed functions 12 and 13: Q(A) and the zero correction refined
// together from a raw Q(A) value, at each point of a scan of Z2Th or once.
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "rivi/map_run.hpp"
#include "rivi/scan_dialogue.hpp"

namespace rivi {

namespace {

using console::real_text;

// Two datasets whose rows were studied with these functions.
struct Predefined {
    char letter;
    const char* name;
    double qa;
};
constexpr Predefined predefined[] = {{'Y', "Y2OX3DIH", 188.648}, {'U', "UPP11B24", 236.151}};

// The raw Q(A): Y or U for a stored value, a positive number, or ENTER to
// leave; false on ENTER.
bool ask_raw_qa(control::Session& s, double& qa)
{
    console::Console& con = s.con;
    con.line("Predefined raw Q(A) values available to refine vs Q(A) & Z2Th");
    for (const Predefined& p : predefined)
        con.line(std::string("  Dataset ") + p.letter + " (= " + p.name + ")  -  Raw Q(A) = " +
                 real_text(p.qa, 0, 3));
    std::string current = "no predefined raw Q(A) value";
    for (const Predefined& p : predefined)
        if (s.ds.Dset == p.name)
            current = std::string("reply ") + p.letter + " for its raw Q(A) value";
    con.line("Current dataset is " + s.ds.Dset + " - " + current);
    for (;;) {
        const std::string reply = console::read_normalised_reply(
            con, "Please supply a suitable raw Q(A) value (default: exit): ");
        if (reply.empty()) {
            con.put("  (Exit)");
            con.endl();
            return false;
        }
        con.endl();
        for (const Predefined& p : predefined) {
            if (reply == std::string(1, p.letter)) {
                qa = p.qa;
                return true;
            }
        }
        if (console::parse_real(reply, qa) && qa > 0.0)
            return true;
        con.line("** Please reply Y, U or a positive Q(A) value **");
    }
}

std::string positive_step(double v)
{
    return v > 0.0 ? "" : "** The step must be positive - please try again **";
}

// Function 12: at each Z2Th of the scan the raw value and the refinement
// of both from (raw Q(A), Z2Th), one line per point.
void z2th_scan(control::Session& s, const ScanSettings& ss, ScanTrials& trials, double raw_qa)
{
    console::Console& con = s.con;
    const ScanState& steps = s.maps.scans;
    const std::string name = fom_name(ss.mchar);
    ScanAxis axis;
    fixed_axis(axis, ss.min2, ss.max2, ss.step2);
    write_axis_cut(con, "Z2Th", axis);
    con.endl();
    con.line("Refining Z2Th & compensating Q(A), from initial Q(A) = " + real_text(raw_qa, 0, 3));
    con.endl();
    con.line("Raw Z2Th      Raw " + name + "     Ref " + name + "    Ref Q(A)     Ref Z2Th");
    double best = 0.0, best_qa = raw_qa, best_z = 0.0;
    console::Pager pager(con, 1);
    for (int i = 1; i <= axis.n; ++i) {
        const double raw = trials.at(raw_qa, axis.v[i]);
        double qa = raw_qa, z = axis.v[i];
        const double refined = trials.refine(qa, z, steps.qa_step, steps.z2th_step, true);
        pager.before_line();
        con.line(real_text(axis.v[i], 8, 4) + real_text(raw, 12, 3) + real_text(refined, 11, 3) +
                 real_text(qa, 12, 4) + real_text(z, 13, 4));
        pager.after_line();
        if (refined > best) {
            best = refined;
            best_qa = qa;
            best_z = z;
        }
    }
    con.endl();
    con.line("Best refined " + name + " = " + real_text(best, 0, 3) + " at Q(A) = " +
             real_text(best_qa, 0, 4) + ", Z2Th = " + real_text(best_z, 0, 4));
}

} // namespace

void raw_qa_refinement(control::Session& s, bool scan_z2th)
{
    console::Console& con = s.con;
    ScanState& steps = s.maps.scans;
    con.endl();
    if (s.ds.Nobs == 0) {
        con.line("** No observed pattern present **");
        return;
    }
    double raw_qa = 0.0;
    if (!ask_raw_qa(s, raw_qa))
        return;
    ScanSettings ss;
    ss.kind = ScanKind::z2th;
    scan_opening(s, "", ss);
    if (scan_z2th) {
        const std::string out_of_range = "** Z2Th must lie between " +
                                         console::compact_real(-dataset::max_zero) + " and " +
                                         console::compact_real(dataset::max_zero) +
                                         " - please try again **";
        ss.min2 =
            ask_checked(con, "Min Z2Th to start scan (default: -0.1): ", -0.1, 3, [&](double v) {
                return dataset::zero_in_range(v) ? std::string() : out_of_range;
            });
        ss.max2 =
            ask_checked(con, "Max Z2Th to end scan   (default: 0.1): ", 0.1, 3, [&](double v) {
                if (!(v <= dataset::max_zero))
                    return out_of_range;
                return v >= ss.min2 ? std::string()
                                    : "** Max Z2Th should not be less than min Z2Th (" +
                                          console::compact_real(ss.min2) + ") - please try again **";
            });
        ss.step2 = ask_checked(con, "Stepsize for Z2Th scan (default: 0.01): ", 0.01, 3,
                               positive_step);
    }
    steps.z2th_step = ask_checked(con, "Initial stepsize for refining Z2Th deg (default: " +
                                           console::compact_real(steps.z2th_step) + "): ",
                                  steps.z2th_step, 3, positive_step);
    ScanSetup setup(s, ss);
    ScanTrials trials(s, ss);
    if (scan_z2th) {
        z2th_scan(s, ss, trials, raw_qa);
        return;
    }
    con.endl();
    con.line("Refining both Q(A) & Z2Th, from initial Q(A) = " + real_text(raw_qa, 0, 3));
    const double raw = trials.at(raw_qa, 0.0);
    double qa = raw_qa, z = 0.0;
    const double refined = trials.refine(qa, z, steps.qa_step, steps.z2th_step, true);
    const std::string name = fom_name(ss.mchar);
    con.line("Raw " + name + " = " + real_text(raw, 0, 3) + ", refined " + name + " = " +
             real_text(refined, 0, 3) + " at Q(A) = " + real_text(qa, 0, 4) + ", Z2Th = " +
             real_text(z, 0, 4));
}

} // namespace rivi
