// The plain trial evaluators, written as the rules read: validate the trial
// cell, generate every line, append the closing entry at Qmax, Shell-sort,
// remove symmetry duplicates and compare. The fast evaluator is judged
// against these.
#include "rivi/trial.hpp"

#include <cmath>
#include <string>

#include "cell/commands.hpp"
#include "cell/conversions.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "dataset/model.hpp"
#include "rivi/trial_rules.hpp"

namespace rivi {

bool is_row(const Q6& q)
{
    int differing = 0;
    for (int i = 1; i <= 3; ++i)
        differing += q[i] != row_marker ? 1 : 0;
    return differing == 1 && q[4] == 0.0 && q[5] == 0.0 && q[6] == 0.0;
}


void report_low_diagonal(control::Session& s, const Q6& q)
{
    std::string values;
    for (int i = 1; i <= 6; ++i)
        values += ", Q" + std::to_string(i) + "=" + console::real_text(q[i], 0, 6);
    s.con.line("** Q1, Q2 or Q3 < 0.1 in calcfm: " + values.substr(2));
}

bool section_varies(char section, int row)
{
    switch (section) {
    case 'A': return row != 4;  // beta*, gamma*
    case 'B': return row != 5;  // gamma*, alpha*
    default: return row != 6;   // alpha*, beta*
    }
}

bool validate_trial(const FomState& f, const Q6& q, bool all_angles, char& reject,
                    dataset::IndexRow& limits)
{
    if (is_row(q)) {
        // A row of lines h00: a = 100/sqrt(Q(A)), no volume or angle check.
        // Without a positive Q(A) the row holds no line, so no index is
        // needed (an infinite a would otherwise ask for a billion of them).
        dataset::IndexRow row{};
        if (q[1] > 0.0) {
            const double a = 100.0 / std::sqrt(q[1]);
            const dataset::CellRow direct{0.0, a, 0.0, 0.0, 90.0, 90.0, 90.0};
            cell::automatic_limits(direct, q, f.Qmax, row);
        }
        limits = {0, 0, row[2], 0, 0, 0, 0};
        return true;
    }
    cell::DerivedCell c;
    if (!cell::cell_from_powder_constants(c, q) || !(c.V > 0.0) || c.V > f.Vmax) {
        reject = 'v';
        return false;
    }
    for (int row = 4; row <= 6; ++row) {
        if ((all_angles || section_varies(f.section, row)) && too_oblique(c.RR[row], f.amin)) {
            reject = 'a';
            return false;
        }
    }
    cell::automatic_limits(c.DD, q, f.Qmax, limits);
    return true;
}

bool generate_lines(const FomState& f, const Q6& q, const dataset::IndexRow& limits, LineList& out,
                    char& reject)
{
    int hmin = limits[1], kmin = limits[3], lmin = limits[5];
    const auto [skip_h0, skip_k0, skip_l0] = zero_level_of(f);
    if (skip_l0 && lmin < 1)
        lmin = 1;

    int n = 0;
    out.Q[0] = 0.0;
    for (int h = hmin; h <= limits[2]; ++h) {
        if (skip_h0 && h == 0)
            continue;
        for (int k = kmin; k <= limits[4]; ++k) {
            if (skip_k0 && k == 0)
                continue;
            for (int l = lmin; l <= limits[6]; ++l) {
                const double qhkl = h * h * q[1] + k * k * q[2] + l * l * q[3] + k * l * q[4] +
                                    h * l * q[5] + h * k * q[6];
                if (!keep_line(out, n, qhkl, f.Qmax, h, k, l, reject))
                    return false;
            }
        }
    }
    close_lines(out, n, f.Qmax);
    return true;
}

void close_lines(LineList& out, int n, double qmax)
{
    if (n < dataset::max_calc) {
        ++n;
        out.Q[n] = qmax;
        out.h[n] = out.k[n] = out.l[n] = closing_index;
    }
    cell::sort_calculated(n, out.Q, out.h, out.k, out.l);
    out.n = cell::remove_symmetry_duplicates(n, out.Q, out.h, out.k, out.l);
}

bool generate_trial(const FomState& f, const Q6& q, bool all_angles, LineList& out, char& reject)
{
    dataset::IndexRow limits{};
    return validate_trial(f, q, all_angles, reject, limits) &&
           generate_lines(f, q, limits, out, reject);
}

CompareRules rules_of(const FomState& f, char mchar)
{
    return CompareRules{f.Nobsused, f.Pthresh, f.Pmin, f.new_Pr_formula, mchar};
}

bool valid_mode(control::Session& s, char mchar)
{
    if (mchar == 'M' || mchar == 'P' || mchar == 'I')
        return true;
    s.con.line(std::string(" ** Invalid Mchar = <") + mchar + "> in fm_compare **");
    console::pause(s.con);
    return false;
}

void consistency_check(control::Session& s, int mNobscount, const Q6& q)
{
    const FomState& f = s.maps.fom;
    if (!f.check || mNobscount == f.mNobs)
        return;
    s.con.line("** mNobscount <> mNobs in fm_compare: mNobscount=" + std::to_string(mNobscount) +
               ", mNobs=" + std::to_string(f.mNobs) + " **");
    std::string values;
    for (int i = 1; i <= 6; ++i)
        values += (i > 1 ? ", " : "") + console::real_text(q[i], 10, 6);
    s.con.line("** mQ[]= " + values + " **");
}

LineList dataset_lines(dataset::Dataset& ds)
{
    return LineList{ds.Ncalc, ds.CQ.data(), ds.CH.data(), ds.CK.data(), ds.CL.data()};
}

namespace {

// Single-point mode: each compared line with its nearest calculated line,
// discrepancy and probability, to the log and the copy when it is on.
void list_lines(control::Session& s, const CompareTrace& trace)
{
    const dataset::Dataset& ds = s.ds;
    auto write = [&](console::Sink& out) {
        out.line(" Line     h   k   l        dQ          P");
        for (int n = 1; n <= trace.n; ++n) {
            const ComparedLine& c = trace.lines[n];
            const int j = c.nearest < 0 ? -c.nearest : c.nearest;
            out.line(console::int_text(c.line, 5) + "  " + console::int_text(ds.CH[j], 4) +
                     console::int_text(ds.CK[j], 4) + console::int_text(ds.CL[j], 4) +
                     console::real_text(c.d, 10, 4) + console::real_text(c.P, 11, 6));
        }
    };
    if (console::open_log_file(s, s.ds.Dset))
        write(s.out.log);
    if ((s.con.output_code & 1) != 0)
        console::printing_notice(s.con);
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s))
        write(s.out.copy);
}

double finish(control::Session& s, double fom)
{
    s.maps.fom.last_fom = fom;
    return fom;
}

// Generation of trial q into the dataset's calculated pattern.
bool generate_into_dataset(control::Session& s, const Q6& q, bool all_angles)
{
    FomState& f = s.maps.fom;
    leave_last_pattern(s);  // the pattern a scan left due comes first
    f.mQ = q;
    if (low_diagonal(q))
        report_low_diagonal(s, q);
    LineList list = dataset_lines(s.ds);
    const bool done = generate_trial(f, q, all_angles, list, f.reject);
    if (done || f.reject == 'n')
        s.ds.Ncalc = list.n;
    return done;
}

} // namespace

double calcm(control::Session& s, const Q6& q)
{
    FomState& f = s.maps.fom;
    ++f.trials;
    f.reject = ' ';
    if (!valid_mode(s, f.Mchar) || !generate_into_dataset(s, q, false))
        return finish(s, 0.0);
    CompareTrace* trace = nullptr;
    static CompareTrace listing;  // one map state, one listing
    if (f.line_listing)
        trace = &listing;
    const dataset::Dataset& ds = s.ds;
    const double fom = fm_compare(ds.OQ.data(), f.zones, ds.included.data(), ds.CQ.data(),
                                  ds.Ncalc, rules_of(f, f.Mchar), f.mNobscount, trace);
    consistency_check(s, f.mNobscount, q);
    if (trace != nullptr)
        list_lines(s, *trace);
    return finish(s, fom);
}

double calcfm(control::Session& s, const Q6& q, double z2th, [[maybe_unused]] double tcor,
              bool rezone1, bool rezone2, const double* qobs, const double* tobs, char mchar)
{
    FomState& f = s.maps.fom;
    dataset::Dataset& ds = s.ds;
    ++f.trials;
    f.reject = ' ';
    const int n = f.Nobsused;
    for (int i = 1; i <= n; ++i) {
        f.Qcopy[i] = qobs[i];
        if (z2th != 0.0)
            dataset::q_from_2theta(ds, tobs[i], z2th, f.Qcopy[i]);
    }
    // The zones follow the observed values the comparison uses.
    if (rezone1 || rezone2)
        compute_zones(f.zones, f.Qcopy.data(), n);
    if (f.first_call_marker) {
        s.con.put("*");
        f.first_call_marker = false;
    }
    if (!valid_mode(s, mchar) || !generate_into_dataset(s, q, true))
        return finish(s, 0.0);
    const double fom = fm_compare(f.Qcopy.data(), f.zones, ds.included.data(), ds.CQ.data(),
                                  ds.Ncalc, rules_of(f, mchar), f.mNobscount);
    consistency_check(s, f.mNobscount, q);
    return finish(s, fom);
}

int mark_zero_level(control::Session& s, const Q6& basis, char zone)
{
    FomState& f = s.maps.fom;
    dataset::Dataset& ds = s.ds;
    Q6 q = basis;
    q[zone == 'A' ? 1 : (zone == 'B' ? 2 : 3)] = row_marker;
    const bool suppression = f.zero_level;
    f.zero_level = false;
    for (int i = 1; i <= f.Nobsused; ++i)
        ds.included[i] = true;
    CompareTrace trace;
    const bool generated = generate_into_dataset(s, q, false);
    f.zero_level = suppression;
    int count = 0;
    if (generated)
        fm_compare(ds.OQ.data(), f.zones, ds.included.data(), ds.CQ.data(), ds.Ncalc,
                   rules_of(f, 'M'), count, &trace);
    // Lines the walk did not reach stay in use; the others by their discrepancy.
    for (int n = 1; n <= trace.n; ++n)
        ds.included[trace.lines[n].line] = trace.lines[n].d > f.Qdiflim;
    int left = 0;
    for (int i = 1; i <= f.Nobsused; ++i) {
        if (f.debug)
            s.con.put(ds.included[i] ? "." : "T");
        left += ds.included[i] ? 1 : 0;
    }
    if (f.debug)
        s.con.endl();
    return left;
}

} // namespace rivi
