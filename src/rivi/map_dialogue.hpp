// The call point of the merit-map dialogue (MM, HM, M1, M3; IN's MM and HM
// codes; LC's thumbnail offer).
#pragma once

namespace control {
struct Session;
}

namespace rivi {

// Runs the map dialogue as the session's flags describe it: s.run.map_kind
// ("M" or "H"), quick_view, thumbnails and topography, and
// s.maps.indexing_mode when IN runs the map. A map run that records
// solutions for the summary files sets s.run.map_solutions_pending.
void map_command(control::Session& s);

} // namespace rivi
