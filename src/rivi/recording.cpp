// Recording a map's solutions: the local and main logs and summary files,
// written through the summary-line writer, and the offer to have the outside
// driver add them to the dataset's summaries.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cell/conversions.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "console/utilities.hpp"
#include "control/handover.hpp"
#include "control/session.hpp"
#include "indexing/summary.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

namespace {

using console::real_text;

constexpr double solution_threshold = 5.0;

// Opens a file for appending unless it is open; says so when it cannot.
console::Sink* opened(control::Session& s, console::TextFile& f, const std::string& extension,
                      const char* what)
{
    const std::string name = console::squeeze_upper(s.ds.Dset) + extension;
    if (!f.is_open() && f.open_append(name) != 0) {
        s.con.line(std::string("** Couldn't open ") + what + " " + name + " **");
        return nullptr;
    }
    return &f;
}

// The files a map records into; those that could not be opened are left out.
struct RecordFiles {
    std::vector<console::Sink*> logs, summaries;
    console::TextFile csm;  // the local summary: opened and closed here

    void to_logs(const std::string& text) const
    {
        for (console::Sink* out : logs)
            out->line(text);
    }
};

void open_files(control::Session& s, RecordFiles& files)
{
    auto add = [](std::vector<console::Sink*>& to, console::Sink* f) {
        if (f != nullptr)
            to.push_back(f);
    };
    add(files.logs, opened(s, s.out.map_cmg, ".CMG", "local logfile"));
    add(files.logs, opened(s, s.out.log, ".LOG", "main logfile"));
    add(files.summaries, opened(s, files.csm, ".CSM", "local summary-file"));
    add(files.summaries, opened(s, s.out.map_sum, ".SUM", "main summary-file"));
}

// Solution lines for peaks 1..n of the refined list, to both logs and both
// summary files.
void write_solutions(control::Session& s, const RecordFiles& files, int n)
{
    const PeakList& list = s.maps.results.list;
    const std::string date = console::date_stamp(), time = console::time_stamp();
    double first_volume = 0.0;
    for (int j = 1; j <= n; ++j) {
        const MapPeak& p = list.peaks[j];
        const Q6 q = trial_at(s, p.x, p.y);
        cell::DerivedCell c;
        cell::cell_from_powder_constants(c, q);
        if (j == 1)
            first_volume = c.V;
        indexing::SummaryRecord r;
        r.i20 = std::min(s.maps.fom.Nobsused, 20);
        r.merit = p.refined;
        r.volume = c.V;
        r.volume_ratio = first_volume == 0.0 ? 0.0 : c.V / first_volume;
        r.bravais = "P";
        r.program = s.run.map_kind + "Map";
        r.date = date;
        r.time = time;
        r.pedigree = j;
        for (int i = 0; i < 6; ++i) {
            r.cell[i] = c.DD[i + 1];
            r.q[i] = q[i + 1];
        }
        r.description = s.ds.Title;
        for (console::Sink* out : files.logs)
            indexing::write_summary_line(*out, false, false, r);
        for (console::Sink* out : files.summaries)
            indexing::write_summary_line(*out, false, false, r);
    }
}

// The offer to add the recorded solutions to the dataset's summary files,
// and on Y the steering file for the outside driver.
void offer_summary_update(control::Session& s)
{
    console::Console& con = s.con;
    const std::string& kind = s.run.map_kind;
    const std::string& name = s.ds.Dset;
    std::string answer;
    if (s.run.topography) {
        con.line("Will you want to add these topographic " + kind +
                 "-map peaks to the summary file for");
        con.line("this dataset (usually no)?");
        con.line("If so, reply Y - then when you type QU (quit) at the Latticor command prompt,");
        con.line("the main summary and log files for \"" + name +
                 "\" will be updated and displayed.");
        answer = console::ask_code(
            con, "  Add topography map solutions to summary files on QUit (Y/N, default=N): ", "YN",
            "N", "(No)");
    } else {
        con.line("Do you want to add these indexing " + kind +
                 "-map solutions to the summary files for");
        con.line("this dataset (usually yes)?");
        con.line("If so, reply Y - then the main summary and log files");
        con.line("for \"" + name + "\" will be updated and displayed.");
        answer = console::ask_code(
            con, "  Add indexing map solutions to the summary files (Y/N, default=Y): ", "YN", "Y",
            "(Yes)");
    }
    con.endl();
    if (answer[0] != 'Y')
        return;
    // A steering file that cannot be written is reported by the file
    // routines; no update is then announced, and an earlier request (whose
    // file the failed write leaves in place) stands.
    const bool pending = s.run.map_solutions_pending;
    if (!control::request_map_solution_update(s)) {
        s.run.map_solutions_pending = pending;
        return;
    }
    con.line("A _SETPARM script file has been written for sorting, processing and");
    con.line("displaying the summary and LePage files updated as a result of this run");
    con.endl();
    con.line("This needs to be done before either launching an indexing run (IN), or running");
    con.line("Zoro/Rivi on a different dataset (it's OK to run it several times before ");
    con.line("quitting, as long as the runs are on the same dataset, but their _SETPARM file");
    con.line("is liable to become over-written if you switch to a different dataset)");
    con.endl();
    con.line("To proceed to display the summaries immediately, type \"QU\" next");
}

} // namespace

void record_solutions(control::Session& s)
{
    const MapResults& res = s.maps.results;
    const FomState& f = s.maps.fom;
    const std::string name = fom_name(f.Mchar);
    const double mean = res.stats.count == 0 ? 0.0 : res.stats.sum / res.stats.count;
    const PeakList& list = res.list;

    s.con.endl();
    write_timing_report(s, s.con);
    RecordFiles files;
    open_files(s, files);
    if (mean == 0.0)
        files.to_logs("  Empty map - no non-zero solutions found");

    // Solutions are refined peaks above the threshold; unrefined peaks are
    // counted on their raw value.
    int count = 0;
    for (int i = 1; mean != 0.0 && i <= list.n; ++i)
        count += (res.refined ? list.peaks[i].refined : list.peaks[i].raw) > solution_threshold;

    files.to_logs(s.ds.Title);
    for (console::Sink* out : files.logs)
        write_timing_report(s, *out);
    int recorded = 0;
    const std::string threshold = real_text(solution_threshold, 3, 1);
    if (mean != 0.0 && (!res.refined || list.n == 0)) {
        files.to_logs("  " + std::to_string(count) + " solution peaks found (" +
                      std::string(1, f.Mchar) + "max " + real_text(res.stats.best, 5, 3) + " at " +
                      real_text(res.stats.best_x, 4, 2) + "," + real_text(res.stats.best_y, 4, 2) +
                      " " + unit_name(s.maps.settings.angle_mode) + ") but not refined");
    } else if (mean != 0.0 && count == 0) {
        files.to_logs("  No solutions found with " + name + " > " + threshold +
                      " (best solution is logged below)");
        recorded = 1;
    } else if (mean != 0.0) {
        files.to_logs(console::int_text(count, 3) + " solution" + (count > 1 ? "s" : "") +
                      " found with " + name + " > " + threshold);
        for (console::Sink* out : files.logs)
            indexing::write_summary_line(*out, true, false, indexing::SummaryRecord{});
        recorded = count;
    }
    write_solutions(s, files, recorded);
    files.to_logs("Latticor " + s.run.map_kind + "Map v" + s.version.header_version +
                  " run finished on " + console::date_stamp() + " at " + console::time_stamp());
    files.to_logs("  Elapsed time including refinement and user pauses: " +
                  real_text(seconds_since(res.started), 4, 2) + " sec");
    for (console::TextFile* f : {&s.out.map_cmg, &s.out.log, &s.out.map_sum})
        if (f->is_open())
            f->flush();
    files.csm.close();
    if (recorded > 0)
        offer_summary_update(s);
}

} // namespace rivi
