#include "platform/foundation/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace brevanton {

void lowerCurrentThreadPriority(int increment)
{
    if (increment <= 0)
        return;
    auto thread = static_cast<id_t>(::gettid());
    errno = 0;
    int nice = ::getpriority(PRIO_PROCESS, thread);
    if (errno != 0)
        return;
    (void)::setpriority(PRIO_PROCESS, thread, std::min(nice + increment, 19));
}

} // namespace brevanton
