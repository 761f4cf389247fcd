// The indexing-program integration: launcher, summary files, direct runs.
#pragma once

namespace control {
struct Session;
}

namespace indexing {

void IN(control::Session& s);   // launch an indexing run
void DI(control::Session& s);   // launch a direct-indexing run
void LC(control::Session& s);   // load a cell from a summary file
void MS(control::Session& s);   // modify summary files

} // namespace indexing
