#include "platform/Aside.h"

#include <sched.h>

namespace platform {

int CurrentProcessor()
{
    return sched_getcpu();
}

bool KeepOffProcessor(int processor)
{
    if (processor < 0)
        return false;
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || processor >= CPU_SETSIZE ||
        !CPU_ISSET(processor, &allowed))
        return false;
    CPU_CLR(processor, &allowed);
    if (CPU_COUNT(&allowed) < MinOtherProcessors)
        return false;
    return sched_setaffinity(0, sizeof allowed, &allowed) == 0;
}

} // namespace platform
