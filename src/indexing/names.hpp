// File names of the indexing runs and the summary files.
#pragma once

#include <string>
#include <string_view>

namespace control {
struct Session;
}

namespace indexing {

// A name typed for a file: 1 to 8 letters, digits, "_" or "-", so that it
// always names a file of the directory itself and passes safely to the
// outside driver.
bool valid_file_name(std::string_view name);
inline constexpr const char* invalid_name_message =
    "** A name may only use letters, digits, _ and - (at most 8), please retry **";

// A file of the run directory (the start-up directory): name + "." + ext.
std::string run_file(const control::Session& s, std::string_view name, std::string_view ext);

// The parts of a file name typed for DI: the text before the first point,
// and the first two of the (at most three) characters after it.
void analyse_file_name(const std::string& answer, std::string& dataset_name, std::string& code);

} // namespace indexing
