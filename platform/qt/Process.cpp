#include <sys/resource.h>

#include "platform/Process.h"

namespace platform {

void RaiseProcessPriority() {
    // Strikes are timed to the millisecond; ask to be scheduled first. Without
    // the privilege the request fails and the process runs as it was.
    (void)setpriority(PRIO_PROCESS, 0, -10);
}

}  // namespace platform
