// CPU time and memory of a process, from /proc for another one and from
// getrusage for the tool itself.
#pragma once

namespace load {

struct ProcessSample {
    bool ok = false;
    double cpuSeconds = 0;  // user + system
    long rssKib = 0;        // resident now
    long peakRssKib = 0;    // highest resident so far
};

ProcessSample SampleProcess(int pid);
ProcessSample SampleSelf();

}  // namespace load
