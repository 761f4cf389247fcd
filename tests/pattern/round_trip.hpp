// Save then reload: whether what a command left in the working dataset is
// read back from the dataset file it is saved to.
#pragma once

#include <string>

#include "dataset/cdt_file.hpp"
#include "dataset/file_utils.hpp"
#include "support/fake_console.hpp"
#include "support/scratch.hpp"

namespace testing_support {

struct Reload {
    bool ok = false;
    std::string messages;  // what the reader showed
};

// Writes the session's dataset to a scratch file under its own name and
// reads it into a second session.
inline Reload save_and_reload(FakeSession& f)
{
    ScratchDir dir(false);
    const std::string path = dir.dir() + "RT.CDT";
    Reload r;
    console::TextFile out;
    if (!dataset::open_write(f.con, out, path, 'O') ||
        !dataset::write_dataset(f.s, f.s.ds, out, f.s.ds.Dset, dataset::LineSelection::all) ||
        !dataset::close_write(f.con, out))
        return r;
    FakeSession reader;
    reader.s.ds.Dset = f.s.ds.Dset;
    console::TextFile in;
    r.ok = in.open_read(path) == 0 && dataset::read_dataset(reader.s, reader.s.ds, in);
    r.messages = reader.screen();
    return r;
}

} // namespace testing_support
