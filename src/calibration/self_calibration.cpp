// SC: self-calibration of the zero correction or of the specimen-displacement
// ratio from pairs of first and second orders found in the observed pattern.
#include <string>

#include "calibration/commands.hpp"
#include "calibration/pairs.hpp"
#include "calibration/report.hpp"
#include "calibration/settings.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "console/format.hpp"
#include "console/prompt.hpp"
#include "control/session.hpp"
#include "dataset/commands.hpp"
#include "pattern/commands.hpp"
#include "pattern/harmonics.hpp"

namespace calibration {

CalibrationSettings& settings()
{
    static CalibrationSettings run;
    return run;
}

namespace {

using console::real_text;

std::string degrees(double v) { return real_text(v, 1, 5); }
std::string ratio(double v) { return real_text(v, 1, 7); }

// A report line on the screen and in the copy file when that is on.
void on_channels(control::Session& s, const std::string& text)
{
    s.con.line(text);
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s))
        s.out.copy.line(text);
}

// A zero correction removed for the T search is put back unless a correction
// replaced it - also when the input ends in the middle of the dialogue.
class ProvisionalZero {
public:
    explicit ProvisionalZero(control::Session& s) : s_(s) {}
    ~ProvisionalZero()
    {
        if (active_)
            put_back();
    }
    ProvisionalZero(const ProvisionalZero&) = delete;
    ProvisionalZero& operator=(const ProvisionalZero&) = delete;

    void remove()
    {
        old_ = s_.ds.Z2Th;
        active_ = true;
        s_.ds.Z2Th = 0.0;
        pattern::revise_pattern(s_);
    }
    bool active() const { return active_; }
    double old() const { return old_; }
    void keep_removed() { active_ = false; }
    void restore(const std::string& message)
    {
        active_ = false;
        put_back();
        on_channels(s_, message);
    }

private:
    void put_back()
    {
        s_.ds.Z2Th = old_;
        pattern::revise_pattern(s_);
    }

    control::Session& s_;
    double old_ = 0.0;
    bool active_ = false;
};

struct Calibration {
    Mode mode = Mode::zero;
    std::string handling_note;  // T mode: what was done with an existing Z2Th
    LinePairs pairs;
};

// What the user chose to apply.
struct Choice {
    enum Kind { none, mean, own, pair } kind = none;
    int pair_number = 0;
    double change = 0.0;  // dZ2Th (Z mode) or T
    double z2th = 0.0;    // Z mode: the new zero correction
};

Mode ask_mode(console::Console& con)
{
    con.line("Zero errors in the 2Theta values from reflection diffractometers come mostly");
    con.line("from specimen displacement, whose effect varies as cos(Theta), rather than");
    con.line("from a constant offset.  A line and its second order can determine either");
    con.line("the specimen-displacement ratio T or the zero correction Z2Theta, but not both.");
    con.endl();
    con.line("Do you want use self-calibration to estimate the Zero Correction Z2Theta");
    const std::string reply = console::ask_code(
        con, "  or Specimen-Displacement ratio T (Z/T, default Z)?  ", "ZT", "Z", "(Z)");
    con.endl();
    return reply[0] == 'T' ? Mode::displacement : Mode::zero;
}

void ask_max_q_diff(console::Console& con)
{
    double& max = settings().max_q_diff;
    max = pattern::ask_tolerance(
        con, "Input max Q-difference for including line pairs in self-calibration",
        "  Current value = " + real_text(max, 3, 1) + " QU.  (default=no change)", max, 50.0,
        "** Must be in the range 0 to 50 **");
}

// T mode: an existing zero correction may hold part of the displacement
// error; it is removed, kept or adjusted before the search.
void settle_existing_zero(control::Session& s, Calibration& c, ProvisionalZero& zero)
{
    console::Console& con = s.con;
    const double z2th = s.ds.Z2Th;
    if (z2th == 0.0) {
        c.handling_note = "T (Z2Th=0, ";
        return;
    }
    con.line("A Z2Theta zero correction of " + degrees(z2th) + " degrees has already been applied to this");
    con.line("pattern.  If it came from a pattern affected by specimen displacement, it holds");
    con.line("part of the displacement error, and that part must be removed before T is sought:");
    con.line("  Y = remove the current Z2Theta provisionally, N = keep it unchanged,");
    con.line("  Z = adjust it through ZE to leave only the true zero error.");
    const std::string reply =
        console::ask_code(con, "Please select Y, N or Z (default Y): ", "YNZ", "Y", "(Y)");
    switch (reply[0]) {
    case 'Y':
        con.put(" = Remove Z2Theta");
        con.endl();
        con.line("Provisionally removing current Z2Theta zero correction of " + degrees(z2th) + " degrees");
        con.line("to leave the observed pattern as originally input (it can be restored later)");
        zero.remove();
        c.handling_note = "T (strip Z2Th, ";
        break;
    case 'Z':
        con.put(" = Adjust Z2Theta");
        con.endl();
        con.line("Calling ZE to adjust the current Z2Theta zero correction of " + degrees(z2th) + " degrees");
        con.line("so as to remove any specimen-displacement component (it can be restored later)");
        pattern::ZE(s);
        c.handling_note = "T (adj Z2Th, ";
        break;
    default:
        con.put(" = No change");
        con.endl();
        c.handling_note = "T (keep Z2Th, ";
        break;
    }
    con.endl();
}

// False (after its message) when no pair qualifies.
bool search(control::Session& s, Calibration& c)
{
    const double max = settings().max_q_diff;
    c.pairs = find_pairs(s.ds, c.mode, max, s.con);
    if (c.pairs.n > 0)
        return true;
    s.con.line("No suitable line pairs found within specified max Q-difference " + real_text(max, 1, 2));
    return false;
}

void show_histogram(control::Session& s, const Calibration& c)
{
    write_histogram(s.con, c.mode, c.pairs);
    console::pause(s.con);
}

void show_list(control::Session& s, const Calibration& c)
{
    write_pair_list(s.con, &s.con, c.mode, c.pairs, s.ds);
    write_mean(s.con, c.mode, c.pairs, s.ds.Z2Th);
    console::pause(s.con);
}

void copy_list(control::Session& s, const Calibration& c)
{
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s)) {
        console::TextFile& copy = s.out.copy;
        copy.line(std::string("Self-calibration Seeking ") +
                  (c.mode == Mode::zero ? "Zero correction in 2Theta"
                                        : "Specimen-Displacement correction") +
                  ", max Q-difference = " + real_text(settings().max_q_diff, 1, 2) + " QU.");
        copy.endl();
        write_pair_list(copy, nullptr, c.mode, c.pairs, s.ds);
        write_mean(copy, c.mode, c.pairs, s.ds.Z2Th);
    }
    console::report_end(s);
}

void display(control::Session& s, const Calibration& c)
{
    show_histogram(s, c);
    show_list(s, c);
    copy_list(s, c);
}

void choice_texts(console::Console& con, const Calibration& c)
{
    con.line("Redisplay histogram (H), redisplay list (L), change max Q-difference (D),");
    if (c.mode == Mode::zero) {
        con.line("use mean dZ2Th shown above (M), specify your own best estimate of Z2Th (S),");
        con.line("or specify a line-pair number to be used to give a new value of Z2Th");
    } else {
        con.line("use mean T ratio shown above (M), specify your own best estimate of T (S),");
        con.line("or specify a line-pair number to be used to give a new value of T");
    }
    con.line("(available line-pair numbers are from 1 to " + std::to_string(c.pairs.n) + ")?");
}

// S: the user's own value; ENTER keeps everything as it is.
Choice own_value(control::Session& s, const Calibration& c)
{
    Choice choice;
    if (c.mode == Mode::zero) {
        const console::RealAnswer a = console::ask_real(
            s.con, "Specified Z2Th correction to be used (default: no change):  ", "", s.ds.Z2Th,
            0, 0, "", "NC");
        if (!a.unchanged)
            choice = Choice{Choice::own, 0, a.value - s.ds.Z2Th, a.value};
    } else {
        const console::RealAnswer a = console::ask_real(
            s.con, "Specified T ratio to be used (default: no change):  ", "", 0.0, 0, 0, "", "NC");
        if (!a.unchanged)
            choice = Choice{Choice::own, 0, a.value, 0.0};
    }
    s.con.endl();
    return choice;
}

Choice chosen(const dataset::Dataset& ds, const Calibration& c, Choice::Kind kind, int pair)
{
    const double change = kind == Choice::mean ? mean_and_esd(c.pairs).mean : c.pairs.value[pair];
    return Choice{kind, pair, change, ds.Z2Th + change};
}

// The H/L/D/M/S/pair-number loop; false when a new search found no pairs.
bool choose(control::Session& s, Calibration& c, Choice& choice)
{
    console::Console& con = s.con;
    for (;;) {
        choice_texts(con, c);
        char letter = 0;
        while (letter == 0) {
            const console::IntAnswer a = console::ask_int(
                con, "  Select H, L, D, M, S or a line-pair number (default=no change): ",
                "H,L,D,M,S", 0, 0, "", "NC");
            con.endl();
            if (!a.reply.empty()) {
                if (a.reply[0] != ',')
                    letter = a.reply[0];
            } else if (a.unchanged) {
                choice = Choice{};
                return true;
            } else if (a.value >= 1 && a.value <= c.pairs.n) {
                choice = chosen(s.ds, c, Choice::pair, a.value);
                return true;
            } else {
                con.line("  ** Only line-pairs 1 to " + std::to_string(c.pairs.n) + " are available **");
            }
        }
        switch (letter) {
        case 'H':
            con.endl();
            show_histogram(s, c);
            break;
        case 'L':
            con.endl();
            show_list(s, c);
            break;
        case 'D':
            con.endl();
            ask_max_q_diff(con);
            if (!search(s, c))
                return false;
            display(s, c);
            break;
        case 'M': choice = chosen(s.ds, c, Choice::mean, 0); return true;
        default: choice = own_value(s, c); return true;
        }
    }
}

std::string note_of(const Calibration& c, const Choice& choice)
{
    const std::string pair_text =
        choice.kind == Choice::pair
            ? "line-pair " + std::to_string(choice.pair_number) + " [" +
                  std::to_string(c.pairs.first[choice.pair_number]) + "&" +
                  std::to_string(c.pairs.second[choice.pair_number]) + "] giving "
            : "";
    if (c.mode == Mode::zero) {
        std::string how = choice.kind == Choice::mean  ? "mean dZ2Th "
                          : choice.kind == Choice::own ? "user-specified dZ2Th = "
                                                       : pair_text;
        return "Z (" + how + degrees(choice.change) + ", Z2Th now " + degrees(choice.z2th) + ")";
    }
    std::string how = choice.kind == Choice::mean  ? "mean T = "
                      : choice.kind == Choice::own ? "user-specified T = "
                                                   : pair_text + "T = ";
    return c.handling_note + how + ratio(choice.change) + ")";
}

void apply_zero(control::Session& s, const Choice& choice)
{
    dataset::Dataset& ds = s.ds;
    std::string how;
    switch (choice.kind) {
    case Choice::mean: how = "by adding mean dZ2Th = " + degrees(choice.change) + " deg"; break;
    case Choice::pair:
        how = "by adding the dZ2Th from line-pair " + std::to_string(choice.pair_number) + " = " +
              degrees(choice.change);
        break;
    default: how = "to user-specified Z2Th = " + degrees(choice.z2th); break;
    }
    const std::string lines[3] = {
        "Update Z2Theta correction " + how, " Old Z2Th       Z2Th change       New Z2Th  (Deg)",
        real_text(ds.Z2Th, 9, 5) + real_text(choice.change, 18, 5) + real_text(choice.z2th, 15, 5)};
    for (const std::string& l : lines)
        s.con.line(l);
    console::pause(s.con);
    if ((s.con.output_code & 2) != 0 && console::ensure_copy_open(s))
        for (const std::string& l : lines)
            s.out.copy.line(l);
    ds.Z2Th = choice.z2th;
    pattern::list_pattern(s, false, true);
}

void apply_displacement(control::Session& s, const Choice& choice, ProvisionalZero& zero)
{
    const double T = choice.change;
    if (choice.kind == Choice::own)
        on_channels(s, "Applying user-specified specimen-displacement ratio T = " + real_text(T, 9, 7));
    else
        on_channels(s, "Applying specimen-displacement ratio T = " + real_text(T, 9, 7) +
                           (choice.kind == Choice::mean
                                ? std::string(" based on mean of list")
                                : " from line-pair " + std::to_string(choice.pair_number)));
    if (zero.active()) {
        s.con.line("Only restore the old Z2Theta if not replaced by the new correction(s).");
        const std::string reply = console::ask_code(
            s.con, "Restore previous Z2Theta before proceeding (Y/N, default=N):  ", "YN", "N",
            "(No)");
        s.con.endl();
        if (reply[0] == 'Y')
            zero.restore("Previous Z2Theta of " + degrees(zero.old()) +
                         " deg restored before correction applied");
        else
            zero.keep_removed();
    }
    correct_displacement(s.ds, T);
    pattern::list_pattern(s, false, true);
}

void offer_save(control::Session& s, const Calibration& c, const Choice& choice)
{
    dataset::Dataset& ds = s.ds;
    console::Console& con = s.con;
    con.endl();
    const std::string reply = console::ask_code(
        con, "Do you want to save the changed dataset now (Y/N, default=Y)? ", "YN", "Y", "(Y)");
    con.endl();
    if (reply[0] != 'Y')
        return;
    if (c.mode == Mode::zero) {
        ds.name_append = "SCZ";
        ds.title_append = ",SCZ=" + real_text(ds.Z2Th, 6, 4);
    } else {
        ds.name_append = "SCT";
        ds.title_append = ",SCT=" + real_text(choice.change, 8, 6);
    }
    dataset::save_dataset(s, "SC" + settings().note);
}

void restore_removed_zero(ProvisionalZero& zero)
{
    if (zero.active())
        zero.restore("Previous Z2Theta of " + degrees(zero.old()) + " deg restored");
}

void calibrate(control::Session& s)
{
    console::Console& con = s.con;
    con.lines(2);
    if (s.ds.Nobs < 2) {
        con.line(std::to_string(s.ds.Nobs) + " observed lines - too few for self-calibration");
        return;
    }
    // Lines typed as Q get their angles, as a listing would give them.
    pattern::revise_pattern(s);

    Calibration c;
    c.mode = ask_mode(con);
    ask_max_q_diff(con);
    ProvisionalZero zero(s);
    if (c.mode == Mode::displacement)
        settle_existing_zero(s, c, zero);

    if (!search(s, c)) {
        restore_removed_zero(zero);
        return;
    }
    display(s, c);
    Choice choice;
    if (!choose(s, c, choice)) {
        restore_removed_zero(zero);
        return;
    }
    if (choice.kind == Choice::none) {
        on_channels(s, "No change");
        restore_removed_zero(zero);
        return;
    }
    con.endl();
    if (c.mode == Mode::zero)
        apply_zero(s, choice);
    else
        apply_displacement(s, choice, zero);
    settings().note = "After self-calibration: " + note_of(c, choice);
    offer_save(s, c, choice);
}

} // namespace

// SC: find pairs of first and second orders, show the corrections they imply,
// and apply the one chosen.
void self_calibrate(control::Session& s)
{
    console::clear_screen_full(s.con);
    calibrate(s);
    console::pause_and_clear(s.con);
}

} // namespace calibration
