// Output channels: the copy-file and printer toggles, the end-of-file mark,
// the copy file opened on demand, and the files that stay open until the end
// of the run.
#include "console/channels.hpp"

#include "console/console.hpp"
#include "console/utilities.hpp"
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
void toggle_bit(Console& con, Channels& ch, int bit, std::string_view announcement)
{
    con.endl();
    con.endl();
    con.put(announcement);
    const int code = con.output_code ^ bit;
    con.line(on_off(code & bit));
    set_output_code(con, ch, code);
}

} // namespace

// The output code and the channels a report goes to follow each other: the
// copy file is the last channel when it is on, and the printer is skipped
// when only the copy is on.
void set_output_code(Console& con, Channels& ch, int code)
{
    const int copy = code & copy_bit;
    const int printer = code & printer_bit;
    ch.last_channel = copy != 0 ? 2 : printer;
    ch.channel_step = (printer == 0 && copy != 0) ? 2 : 1;
    con.output_code = code;
}

void toggle_copy(Console& con, Channels& ch)
{
    toggle_bit(con, ch, copy_bit, "Select/deselect copying screen output to textfile:  file output is now ");
}

void toggle_printer(Console& con, Channels& ch)
{
    toggle_bit(con, ch, printer_bit, "Select/deselect copying screen output to printer:  printer is now ");
}

void end_copy_file(Console& con, Channels& ch)
{
    if (ch.copy.is_open()) {
        ch.copy.put("\x1a");  // Ctrl-Z, the old end-of-file mark
        ch.copy.flush();
    } else {
        con.put("  ** Output file not open **");
    }
    con.endl();
}

void open_copy(Console& con, Channels& ch, std::string_view name)
{
    if (ch.copy.is_open() && !same_name(name, ch.copy_name))
        close_copy(ch);
    if (!ch.copy.is_open())
        open_write(con, ch.copy, squeeze_upper(name) + ".LXO", 'A');
    ch.copy_name = std::string(name);
}

void close_copy(Channels& ch) { ch.copy.close(); }

bool ensure_copy_open(Console& con, Channels& ch, std::string_view dset)
{
    if ((con.output_code & copy_bit) == 0)
        return false;
    if (!ch.copy.is_open() || !same_name(ch.copy_name, dset))
        open_copy(con, ch, dset);
    if (ch.copy.is_open())
        return true;
    toggle_copy(con, ch);
    con.endl();
    con.line("** Can't open outfile " + std::string(dset) +
             ".LXO - disabling repeat of output to file **");
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

void report_end(Console& con, Channels& ch, std::string_view dset)
{
    if ((con.output_code & printer_bit) != 0)
        printing_notice(con);
    if ((con.output_code & copy_bit) != 0 && ensure_copy_open(con, ch, dset)) {
        ch.copy.line("\f");
        ch.copy.flush();
    }
}

namespace {

// A file left open under another dataset's name is closed, so that what is
// written next goes to the working dataset's own file.
void close_if_other(TextFile& f, const std::string& path)
{
    if (f.is_open() && f.path() != path)
        f.close();
}

} // namespace

void close_other_datasets_files(Channels& ch, std::string_view name)
{
    const std::string base = squeeze_upper(name);
    close_if_other(ch.log, base + ".LOG");
    close_if_other(ch.map_cmg, base + ".CMG");
    close_if_other(ch.map_cmm, base + ".CMM");
    close_if_other(ch.map_sum, base + ".SUM");
}

bool open_log_file(Console& con, Channels& ch, std::string_view name)
{
    const std::string path = squeeze_upper(name) + ".LOG";
    close_if_other(ch.log, path);
    if (!ch.log.is_open())
        open_write(con, ch.log, path, 'A');
    return ch.log.is_open();
}

void open_map_files(Console& con, Channels& ch, std::string_view name)
{
    const std::string base = squeeze_upper(name);
    close_other_datasets_files(ch, name);
    if (!ch.map_cmg.is_open())
        open_new(con, ch.map_cmg, base + ".CMG");
    open_log_file(con, ch, name);
    if (!ch.map_cmm.is_open())
        open_new(con, ch.map_cmm, base + ".CMM");
    if (!ch.map_sum.is_open())
        open_write(con, ch.map_sum, base + ".SUM", 'A');
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
