// The dataset commands and the shared save dialogue.
#pragma once

#include <string_view>

namespace control {
struct Session;
}

namespace dataset {

void LO(control::Session& s);   // load a dataset
void SA(control::Session& s);   // save menu
void PS(control::Session& s);   // pattern separation
void CD(control::Session& s);   // change the dataset directory (also DR)
void IM(control::Session& s);   // import a peak list

// The shared save dialogue; `code` is "SA", "PS", "EP", "ED", "OB", or two
// letters and a detail ("RS0.5", "SC...", "IM(PX)").
void save_dataset(control::Session& s, std::string_view code);
void save_cif(control::Session& s);

// The reload cycle: start-up reload of "_RELOAD.CDT" (LO in automatic mode)
// and the shutdown save (SA in automatic mode), false when the dataset had
// to be written and could not be.
void auto_reload(control::Session& s);
bool auto_save(control::Session& s);

void few_lines_warning(control::Session& s);
void volume_estimates(control::Session& s);
// Heading and listing of the "*.CDT" files of the data directory.
void dataset_listing(control::Session& s);

} // namespace dataset
