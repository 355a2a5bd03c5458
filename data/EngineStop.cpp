#include "data/EngineStop.h"

#include "data/Connection.h"

#include <ibase.h>

void stopAllDatabaseWork()
{
    // A server that holds its answers back is not waited for: each link is closed on this side
    // first, so the engine's own stop below finds nothing left to wait for over the network.
    Connection::cancelAll();
    // Five seconds for the engine to end its work before it lets it go.
    fb_shutdown(5000, fb_shutrsn_signal);
}
