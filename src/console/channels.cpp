// Output channels: the copy-file and printer toggles (OF, PR), the end-of-file
// mark (EF), the copy file opened on demand, and the files that stay open
// until the end of the run.
#include "console/channels.hpp"

#include "console/console.hpp"
#include "console/utilities.hpp"
#include "control/session.hpp"
#include "console/file_open.hpp"

namespace console {

namespace {

constexpr int printer_bit = 1;
constexpr int copy_bit = 2;

std::string on_off(int bit) { return bit != 0 ? "ON" : "OFF"; }

bool same_name(std::string_view a, std::string_view b)
{
    return squeeze_upper(a) == squeeze_upper(b);
}

// Switches one bit of the output code and says which state it is in now.
void toggle_bit(control::Session& s, int bit, std::string_view announcement)
{
    Console& con = s.con;
    con.endl();
    con.endl();
    con.put(announcement);
    const int code = con.output_code ^ bit;
    con.line(on_off(code & bit));
    set_output_code(s, code);
}

} // namespace

// The output code and the channels a report goes to follow each other: the
// copy file is the last channel when it is on, and the printer is skipped
// when only the copy is on.
void set_output_code(control::Session& s, int code)
{
    const int copy = code & copy_bit;
    const int printer = code & printer_bit;
    s.out.last_channel = copy != 0 ? 2 : printer;
    s.out.channel_step = (printer == 0 && copy != 0) ? 2 : 1;
    s.con.output_code = code;
}

void toggle_copy(control::Session& s)
{
    toggle_bit(s, copy_bit, "Select/deselect copying screen output to textfile:  file output is now ");
}

void toggle_printer(control::Session& s)
{
    toggle_bit(s, printer_bit, "Select/deselect copying screen output to printer:  printer is now ");
}

void end_copy_file(control::Session& s)
{
    if (s.out.copy.is_open()) {
        s.out.copy.put("\x1a");  // Ctrl-Z, the old end-of-file mark
        s.out.copy.flush();
    } else {
        s.con.put("  ** Output file not open **");
    }
    s.con.endl();
}

// OF: switch the copy of screen output into "<Dset>.LXO" on or off.
void OF(control::Session& s) { toggle_copy(s); }
// PR: switch the printer channel on or off (printing itself is not supported).
void PR(control::Session& s) { toggle_printer(s); }
// EF: write an end-of-file mark into the copy file.
void EF(control::Session& s) { end_copy_file(s); }

void open_copy(control::Session& s, std::string_view name)
{
    Channels& ch = s.out;
    if (ch.copy.is_open() && !same_name(name, ch.copy_name))
        close_copy(s);
    if (!ch.copy.is_open())
        open_write(s.con, ch.copy, squeeze_upper(name) + ".LXO", 'A');
    ch.copy_name = std::string(name);
}

void close_copy(control::Session& s) { s.out.copy.close(); }

bool ensure_copy_open(control::Session& s)
{
    Console& con = s.con;
    if ((con.output_code & copy_bit) == 0)
        return false;
    Channels& ch = s.out;
    if (!ch.copy.is_open() || !same_name(ch.copy_name, s.ds.Dset))
        open_copy(s, s.ds.Dset);
    if (ch.copy.is_open())
        return true;
    toggle_copy(s);
    con.endl();
    con.line("** Can't open outfile " + s.ds.Dset + ".LXO - disabling repeat of output to file **");
    con.endl();
    con.put("Press ENTER to continue ");
    con.read_line();
    con.endl();
    return false;
}

void printing_notice(Console& con)
{
    con.line("** Printing is not supported: nothing has been sent to a printer **");
}

void report_end(control::Session& s)
{
    if ((s.con.output_code & printer_bit) != 0)
        printing_notice(s.con);
    if ((s.con.output_code & copy_bit) != 0 && ensure_copy_open(s)) {
        s.out.copy.line("\f");
        s.out.copy.flush();
    }
}

bool open_log_file(control::Session& s, std::string_view name)
{
    if (!s.out.log.is_open())
        open_write(s.con, s.out.log, squeeze_upper(name) + ".LOG", 'A');
    return s.out.log.is_open();
}

void open_map_files(control::Session& s, std::string_view name)
{
    Channels& ch = s.out;
    std::string base = squeeze_upper(name);
    if (!ch.map_cmg.is_open())
        open_new(s.con, ch.map_cmg, base + ".CMG");
    open_log_file(s, name);
    if (!ch.map_cmm.is_open())
        open_new(s.con, ch.map_cmm, base + ".CMM");
    if (!ch.map_sum.is_open())
        open_write(s.con, ch.map_sum, base + ".SUM", 'A');
}

void close_all(Channels& ch)
{
    ch.copy.close();
    ch.map_cmg.close();
    ch.log.close();
    ch.map_cmm.close();
    ch.map_sum.close();
}

} // namespace console
