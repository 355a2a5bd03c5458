#include "data/EngineStop.h"

#include <ibase.h>

void stopAllDatabaseWork()
{
    // Five seconds for the engine to end its work before it lets it go.
    fb_shutdown(5000, fb_shutrsn_signal);
}
