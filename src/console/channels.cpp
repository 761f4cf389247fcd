// Output channels: closing at the end of the run.
#include "console/channels.hpp"

namespace console {

void close_all(Channels& ch)
{
    ch.copy.close();
    ch.map_cmg.close();
    ch.log.close();
    ch.map_cmm.close();
    ch.map_sum.close();
}

} // namespace console
