// The hand-over files and flags of an outside indexing run.
#include "control/handover.hpp"

#include <cstdio>

#include "console/platform.hpp"
#include "control/session.hpp"
#include "dataset/file_utils.hpp"
#include "console/textfile.hpp"

namespace control {

namespace {

constexpr std::string_view dataset_key = "SET _P2Qdset=";
constexpr std::string_view program_key = "SET _P2Qid=";

} // namespace

bool write_steering_file(Session& s, std::string_view dataset_name,
                         std::string_view program_code)
{
    console::TextFile f;
    if (!dataset::open_write(s.con, f, steering_file, 'O'))
        return false;
    bool ok = dataset::wr_str(s.con, f, std::string(dataset_key) + std::string(dataset_name), 1);
    ok = dataset::wr_str(s.con, f, std::string(program_key) + std::string(program_code), 1) && ok;
    return dataset::close_write(s.con, f) && ok;
}

bool write_empty_file(Session& s, const std::string& path)
{
    console::TextFile f;
    if (!dataset::open_write(s.con, f, path, 'O'))
        return false;
    return dataset::close_write(s.con, f);
}

bool write_direct_run_flag(Session& s) { return write_empty_file(s, direct_run_flag_file); }

bool read_steering_file(SteeringRequest& request)
{
    console::TextFile f;
    if (f.open_read(steering_file) != 0)
        return false;
    bool have_dataset = false, have_program = false;
    std::string line;
    for (int c = f.get();; c = f.get()) {
        if (c == EOF || c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.starts_with(dataset_key)) {
                request.dataset = line.substr(dataset_key.size());
                have_dataset = true;
            } else if (line.starts_with(program_key)) {
                request.program = line.substr(program_key.size());
                have_program = true;
            }
            line.clear();
            if (c == EOF)
                break;
        } else {
            line += static_cast<char>(c);
        }
    }
    return have_dataset && have_program;
}

bool steering_file_present() { return console::file_exists(steering_file); }

bool remove_steering_file() { return console::remove_file(steering_file); }

void leave_for_run(Session& s) { s.run.exit_for_run = true; }

bool request_map_solution_update(Session& s)
{
    s.run.map_solutions_pending = true;
    return write_steering_file(s, s.ds.Dset, "MM");
}

} // namespace control
