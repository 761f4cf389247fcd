// The hand-over to outside indexing runs: the steering file "_SETPARM.BAT",
// the direct-run flag "_LXdrun" and the run flag. The reload dataset
// "_RELOAD.CDT" is written by the shutdown save and read by the start-up.
#pragma once

#include <string>
#include <string_view>

namespace control {

struct Session;

inline constexpr const char* steering_file = "_SETPARM.BAT";
inline constexpr const char* direct_run_flag_file = "_LXdrun";
inline constexpr const char* reload_file = "_RELOAD.CDT";

// The two SET lines of the steering file.
struct SteeringRequest {
    std::string dataset;  // after "SET _P2Qdset="
    std::string program;  // after "SET _P2Qid="
};

// Writes "_SETPARM.BAT" anew in the current directory with the dataset name
// and the program code. Failures are reported by the file writers.
bool write_steering_file(Session& s, std::string_view dataset_name,
                         std::string_view program_code);
// Creates the empty "_LXdrun" that marks a direct-indexing run.
bool write_direct_run_flag(Session& s);
// Creates an empty file (the DICVOL mode markers, the direct-run flag).
bool write_empty_file(Session& s, const std::string& path);

// Reads back "_SETPARM.BAT"; false when it is missing or lacks either line.
bool read_steering_file(SteeringRequest& request);
bool steering_file_present();
bool remove_steering_file();

// Sets the run flag: after IN or DI the command loop ends so that the
// outside driver can run the program.
void leave_for_run(Session& s);

// Map solutions are to be added to the summary files: sets
// map_solutions_pending and writes the steering file with the code MM. The
// program does not end; the file waits for QU (or a later IN overwrites it).
bool request_map_solution_update(Session& s);

} // namespace control
