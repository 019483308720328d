#include "tools/load/FdLimit.h"

#include <sys/resource.h>

#include <algorithm>
#include <fstream>

namespace load {

namespace {
// The kernel's ceiling for any process's limit.
rlim_t SystemCeiling() {
    std::ifstream file("/proc/sys/fs/nr_open");
    unsigned long value = 0;
    return file >> value ? static_cast<rlim_t>(value) : RLIM_INFINITY;
}
}  // namespace

std::string RaiseDescriptorLimit(long needed) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return "cannot read the open-file limit";
    const auto want = static_cast<rlim_t>(needed);
    if (limit.rlim_max < want) {
        // Only a privileged process may raise its hard limit; try, up to the kernel's ceiling.
        rlimit raised{std::min(want, SystemCeiling()), std::min(want, SystemCeiling())};
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur >= want) return {};
    return "this run needs " + std::to_string(needed) + " open files but the limit is " +
           std::to_string(limit.rlim_cur) + " (hard limit " + std::to_string(limit.rlim_max) +
           "); raise it with ulimit -n or run fewer towers or ringers";
}

}  // namespace load
