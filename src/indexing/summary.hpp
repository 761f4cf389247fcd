// Summary files: one trial cell per line in fixed columns, written by the
// outside runs and by the map search, read by LC.
#pragma once

#include <array>
#include <string>

namespace console {
class Console;
class Sink;
}
namespace console {
class TextFile;
}

namespace indexing {

// One summary record, as the summary-line writer takes it.
struct SummaryRecord {
    int i20 = 0;                 // lines of the first 20 indexed
    double merit = 0.0;
    double volume = 0.0;
    double volume_ratio = 0.0;   // V/V1, relative to the first solution
    std::string bravais;         // lattice letter; "P" when empty
    std::string program;         // program that found the cell
    std::string date;
    std::string time;
    int pedigree = 0;            // solution number within its run
    std::array<double, 6> cell{};  // a, b, c, alpha, beta, gamma
    std::array<double, 6> q{};     // Q(A) .. Q(F)
    std::string description;     // run title (headed files only)
};

// The heading of the headed variant, with or without the description column.
std::string summary_heading(bool with_description);
// One record in the summary-file columns.
std::string summary_line(const SummaryRecord& r, bool with_description);
// Writes the heading (heading = true) or the record as one line.
void write_summary_line(console::Sink& out, bool heading, bool with_description,
                        const SummaryRecord& r);

// The part of a record LC uses.
struct SummaryCell {
    int i20 = 0;
    std::string merit;           // 8 characters as read
    double volume = 0.0;
    char bravais = ' ';
    std::array<double, 6> cell{};
};

// The fields LC reads, in file order.
enum class SummaryField { none, i20, merit, volume, bravais, a, b, c, alpha, beta, gamma };

// Name of a field in the listing's "Bad data read in" message.
const char* field_name(SummaryField f);
// Name of the group of fields a selection read reports ("cell sides", ...).
const char* field_group(SummaryField f);

// Reads the LC fields of the line at the file position and moves to the
// next line. Returns the first field that failed to read, or none.
SummaryField read_summary_cell(console::Console& con, console::TextFile& f, SummaryCell& cell);

// The listing row of a cell: sequence number (width 4), a space, the fields.
std::string summary_row(int seq, const SummaryCell& cell);
inline constexpr const char* summary_listing_header =
    " Seq I20  Merit    Volume  BL    a        b        c     alpha    beta   gamma";

} // namespace indexing
