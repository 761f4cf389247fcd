// File names of the indexing runs and the summary files.
#include "indexing/names.hpp"

#include <cctype>

#include "console/utilities.hpp"
#include "control/session.hpp"

namespace indexing {

bool valid_file_name(std::string_view name)
{
    if (name.empty() || name.size() > 8)
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-')
            return false;
    return true;
}

std::string run_file(const control::Session& s, std::string_view name, std::string_view ext)
{
    return s.dirs.data + console::squeeze_upper(name) + "." + std::string(ext);
}

// Only the first point divides the name; an answer without one has no code.
void analyse_file_name(const std::string& answer, std::string& dataset_name, std::string& code)
{
    std::size_t point = answer.find('.');
    dataset_name = answer.substr(0, point);
    std::string ext = point == std::string::npos ? "" : answer.substr(point + 1, 3);
    code = console::left_part(ext, 2);
}

} // namespace indexing
