// The map commands MM, HM, M1 and M3: the order of the dialogue's questions,
// the reset of the map state, and what every run leaves as it found it.
#include "rivi/map_dialogue.hpp"

#include <algorithm>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/platform.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "rivi/map_dialogue_steps.hpp"
#include "rivi/map_engine.hpp"
#include "rivi/map_run.hpp"

namespace rivi {

namespace {

// The working cell as a map run found it. The map converts its basis set
// into the working cell's derived rows (the angles of the scan become cross
// constants through them); unless a solution is adopted, the cell the user
// stored comes back whole afterwards, also when the run is refused or input
// ends half-way.
struct WorkingCell {
    int Ctype = 0;
    dataset::CellRow DD{}, PP{}, QQ{}, RR{}, DSC{}, RSC{};
    double V = 0.0, Vstar = 0.0;
    int cell_valid = 0;
    std::array<double, 4> Q2A{};

    explicit WorkingCell(const dataset::Dataset& ds)
        : Ctype(ds.Ctype), DD(ds.DD), PP(ds.PP), QQ(ds.QQ), RR(ds.RR), DSC(ds.DSC), RSC(ds.RSC),
          V(ds.V), Vstar(ds.Vstar), cell_valid(ds.cell_valid), Q2A(ds.Q2A)
    {
    }
    // Adoption stores new powder constants as a cell of type 2.
    bool replaced_in(const dataset::Dataset& ds) const { return ds.Ctype != Ctype || ds.QQ != QQ; }
    void restore(dataset::Dataset& ds) const
    {
        ds.Ctype = Ctype;
        ds.DD = DD;
        ds.PP = PP;
        ds.QQ = QQ;
        ds.RR = RR;
        ds.DSC = DSC;
        ds.RSC = RSC;
        ds.V = V;
        ds.Vstar = Vstar;
        ds.cell_valid = cell_valid;
        ds.Q2A = Q2A;
    }
};

// Whatever way a run ends: the cell back unless adopted, the quick-view,
// thumbnail and topography switches and zero-level suppression off.
class RunGuard {
public:
    explicit RunGuard(control::Session& s) : s_(s), cell_(s.ds) {}
    ~RunGuard()
    {
        if (!cell_.replaced_in(s_.ds))
            cell_.restore(s_.ds);
        s_.run.thumbnails = false;
        s_.run.quick_view = false;
        s_.run.topography = false;
        s_.maps.fom.zero_level = false;
        s_.maps.fom.zone_letter = 'N';
        s_.maps.fom.line_listing = false;
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

private:
    control::Session& s_;
    WorkingCell cell_;
};

// MM and HM: every question in its order, then the map itself.
void map_dialogue(control::Session& s)
{
    console::Console& con = s.con;
    Dialogue d{s, s.run.map_kind};
    reset_map_state(s);
    if (!pattern_checked(s, d.kind))
        return;
    d.cell = cell_stored(s.ds);
    d.stored_q = s.ds.QQ;
    d.bsl = console::file_exists(dataset::data_file_path(s, s.ds.Dset, ".LZB"));

    write_introduction(d);
    if (!ask_run_mode(d) || !basis_status(d))
        return;
    ask_coordinate_mode(d);
    ask_scan_type(d);
    MapSettings& ms = s.maps.settings;
    if (ms.scan == 'F')
        ask_full_scan_options(d);
    if (!choose_basis(d) || !basis_to_cell(d))
        return;
    choose_fom(d);
    ask_data_source(d);
    ask_use_defaults(d);
    ask_standard_parameters(d);
    ask_zero_level(d);
    ask_line_count(d);
    // A section whose fixed cross constant is 0 is symmetric: one quadrant.
    ms.one_quadrant = ms.basis[fixed_constant(s.maps.fom.section)] == 0.0;
    if (!zero_level_pass(d))
        return;
    prepare_trials(s);
    ask_scale(d);
    ask_oblique_and_volume(d);

    if (ms.scan == 'S') {
        single_point(d);
        return;
    }
    if (ms.scan == 'F')
        describe_full_scan(d);
    else
        choose_position(d);
    ms.grid.label_decimals = label_decimals(ms.grid.sy);
    ask_map_file(d);
    con.line(axis_line(s));
    run_map(s);
}

} // namespace

bool cell_stored(const dataset::Dataset& ds)
{
    return ds.Ctype != 0 && ds.QQ[1] > 0.0 && ds.QQ[2] > 0.0 && ds.QQ[3] > 0.0;
}

void reset_map_state(control::Session& s)
{
    MapState& m = s.maps;
    dataset::Dataset& ds = s.ds;
    reset_map_results(m);
    m.settings = MapSettings{};
    FomState& f = m.fom;
    f.reject = ' ';
    f.mNobscount = 0;
    f.last_fom = 0.0;
    f.trials = 0;
    f.Mchar = 'M';
    f.section = 'C';
    f.zero_level = false;
    f.zone_letter = 'N';
    f.line_listing = false;
    f.amin = 30.0;
    f.Vmax = 6000.0;
    f.Pmin = 0.0001;
    f.Pthresh = 0.25;
    f.Qdiflim = 3.0;
    f.Nobsused = std::min(ds.Nobs, 20);
    f.mNobs = f.Nobsused;
    f.Qmax = ds.Qmax > 0.0 ? ds.Qmax : (ds.Nobs > 0 ? ds.OQ[ds.Nobs] : 0.0) + 50.0;
    ds.included.fill(false);
    for (int i = 1; i <= ds.Nobs; ++i)
        ds.included[i] = true;
}

bool pattern_checked(control::Session& s, const std::string& kind)
{
    const int nobs = s.ds.Nobs;
    if (nobs == 0) {
        s.con.line("** " + kind + "Map requires an observed pattern **");
        return false;
    }
    if (nobs < 2) {
        s.con.line("** Only " + std::to_string(nobs) + "observed line(s):  " + kind +
                   "Map requires at least " + std::to_string(2) + " **");
        return false;
    }
    return true;
}

void prepare_trials(control::Session& s)
{
    FomState& f = s.maps.fom;
    f.Qmax = s.ds.OQ[f.Nobsused] + 50.0;
    compute_zones(f.zones, s.ds.OQ.data(), f.Nobsused);
}

void map_command(control::Session& s)
{
    RunGuard guard(s);
    console::close_other_datasets_files(s.out, s.ds.Dset);
    s.con.endl();
    if (s.run.quick_view)
        quick_views(s);
    else
        map_dialogue(s);
}

} // namespace rivi
