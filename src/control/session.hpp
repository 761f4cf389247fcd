// The session: everything one run works on, passed by reference to every
// command. Each member is the run-wide state of the subsystem that owns it.
#pragma once

#include <memory>

#include "cell/compare_settings.hpp"
#include "console/channels.hpp"
#include "console/console.hpp"
#include "control/run_state.hpp"
#include "control/version.hpp"
#include "dataset/dataset.hpp"
#include "dataset/files_state.hpp"
#include "files/viewer_state.hpp"
#include "indexing/settings.hpp"
#include "pattern/settings.hpp"
#include "rivi/map_state.hpp"

namespace control {

struct Session {
    explicit Session(console::Console& console)
        : con(console), storage(std::make_unique<dataset::Dataset>()), ds(*storage)
    {
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    console::Console& con;
    console::Channels out;
    std::unique_ptr<dataset::Dataset> storage;  // the working dataset is large
    dataset::Dataset& ds;
    dataset::FilesState files;
    VersionRecord version;
    RunState run;
    Directories dirs;
    pattern::PatternSettings pattern;
    cell::CompareSettings compare;
    indexing::IndexingSettings indexing;
    files::ViewerState viewer;
    rivi::MapState maps;
};

} // namespace control

// Every command reaches the output channels through the session.
#include "control/output.hpp"
