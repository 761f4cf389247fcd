// PE: the testbed menu of the ab initio scans and the development
// functions, with the switches of the trial evaluation and the test of the
// 2Theta step predictors.
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "rivi/abinitio.hpp"
#include "rivi/commands.hpp"
#include "rivi/scan_dialogue.hpp"
#include "rivi/fm_report.hpp"

namespace rivi {

namespace {

constexpr double predictor_wavelength = 1.54056;  // CuKa1, A
constexpr double predictor_step = 0.1;            // 2Theta step, deg

const char* on_off(bool b) { return b ? "ON" : "OFF"; }

void menu(control::Session& s)
{
    console::Console& con = s.con;
    const FomState& f = s.maps.fom;
    // The menu starts on a line of its own where the screen is not cleared.
    if (con.where_x() > 1)
        con.endl();
    con.clear_screen();
    con.line(console::blanks(30) + "** Rovazuz Testbed **");
    con.endl();
    con.line("Select Rovazuz function (default 0 = exit):");
    con.endl();
    con.line("  1 = Ab initio Q(A) row scan");
    con.line("  2 = Ab initio Q(A) & Z2Theta scan");
    con.line("  3 = Ab initio Q(A) & Q(B) scan for rectangular zones (using prowbuf)");
    con.line("  4 = Ab initio Q(A) & gamma* scan for diagonals of rectangular zones");
    con.endl();
    con.line("  or development test function:");
    con.endl();
    con.line(" 11 = Calc all 3 FM using current obs & calc patterns");
    con.line(" 12 = Scan Z2Theta with Q/Z refinement, for a given raw Q(A) value");
    con.line(" 13 = Refine Q(A) & Z2Theta together, for a given raw Q(A) value");
    con.line(std::string(" 14 = Toggle the value of Boolean \"use_calcfm\" (currently ") +
             on_off(f.use_calcfm) + ")");
    con.line(std::string(" 15 = Toggle the value of Boolean \"new_Pr_formula\" (currently ") +
             on_off(f.new_Pr_formula) + ")");
    con.line(" 16 = Test dQ_from_d2T & dQA_from_d2T predictor functions");
    con.line(" 17 = Ab initio Q(A) & Q(B) scan for rectangular zones (old peak-search)");
    con.endl();
}

void toggle(console::Console& con, bool& flag, const char* name)
{
    flag = !flag;
    con.line(std::string("  \"") + name + "\" now toggled to " + on_off(flag));
}

// The predicted Q steps of a 0.1 deg step of 2Theta at Q = 100 and 200.
void test_predictors(console::Console& con)
{
    const double K = predictor_wavelength * predictor_wavelength / 40000.0;
    con.line("  Testing dQ_from_d2T & dQA_from_d2T predictor functions");
    con.endl();
    con.line("dQ_from_d2T(100)=" +
             console::real_text(dQ_from_d2T(100.0, K, predictor_step), 11, 9));
    con.line("dQ_from_d2T(200)=" +
             console::real_text(dQ_from_d2T(200.0, K, predictor_step), 11, 9));
    con.line("dQA_from_d2T(100&200)=" +
             console::real_text(dQA_from_d2T(100.0, 200.0, K, predictor_step), 11, 9));
}

} // namespace

// PE: the testbed; one function, then back to the prompt.
void PE(control::Session& s)
{
    console::Console& con = s.con;
    FomState& f = s.maps.fom;
    menu(s);
    const int choice =
        console::ask_int(con, "Please enter your selection: ", "", 0, 0, "", "").value;
    if (choice == 0)
        con.put("  (Exit)");
    con.endl();
    switch (choice) {
    case 0: break;
    case 1: row_scan_dialogue(s); break;
    case 2: z2th_scan_dialogue(s); break;
    case 3: rect_scan_dialogue(s, true); break;
    case 4: gamma_scan_dialogue(s); break;
    case 11: fm_report(s); break;
    case 12: raw_qa_refinement(s, true); break;
    case 13: raw_qa_refinement(s, false); break;
    case 14: toggle(con, f.use_calcfm, "use_calcfm"); break;
    case 15: toggle(con, f.new_Pr_formula, "new_Pr_formula"); break;
    case 16: test_predictors(con); break;
    case 17: rect_scan_dialogue(s, false); break;
    default:
        con.line("** Test function " + std::to_string(choice) + " not recognised **");
        break;
    }
    s.maps.scans.qa_step = 0.1;
    s.maps.scans.z2th_step = 0.02;
}

} // namespace rivi
