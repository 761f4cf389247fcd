// The dataset file (.CDT): reading and writing the comma-delimited form, and
// the Powder CIF output.
#pragma once

#include <string>
#include <string_view>

#include "dataset/dataset.hpp"
#include "console/textfile.hpp"

namespace control {
struct Session;
}

namespace dataset {

// Which observed lines a write includes: all of them, or for pattern
// separation the excluded or the remaining (included) ones.
enum class LineSelection { all, excluded, included };

// "Latticor <version> dataset, saved as <name> on <date> at <time>".
std::string build_datestamp(const control::Session& s, std::string_view name);
// A datestamp of the current form: longer than 8 characters, "LATT" first.
bool current_form_stamp(std::string_view first_string);

// Writes `ds` into `f` (open for writing) under `name`, sets its Datestamp;
// the caller closes the file. True when every write succeeded.
bool write_dataset(control::Session& s, Dataset& ds, console::TextFile& f, std::string_view name,
                   LineSelection which);

// Reads the dataset in `f` into `ds`, field by field, with the name check
// and the recomputations that follow a load; closes the file. On failure
// shows which field failed and returns false, `ds` then being partly filled:
// callers read into a copy of the working record.
bool read_dataset(control::Session& s, Dataset& ds, console::TextFile& f);

// The Powder CIF content as data block `block_name` with the given title.
bool write_cif(control::Session& s, console::TextFile& f, std::string_view block_name,
               std::string_view cif_title);

} // namespace dataset
