#include "tools/load/ProcStats.h"

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace load {

namespace {

// utime and stime, fields 14 and 15 of /proc/PID/stat, counted after the
// command name's closing parenthesis (the name itself may hold spaces).
bool ReadCpu(int pid, double& seconds) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14) utime = std::stoull(field);
        if (index == 15) {
            stime = std::stoull(field);
            seconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
            return true;
        }
    }
    return false;
}

bool ReadMemory(int pid, long& rssKib, long& peakKib) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool haveRss = false, havePeak = false;
    while (std::getline(status, line)) {
        // "VmRSS:\t    1234 kB"
        if (line.rfind("VmRSS:", 0) == 0) rssKib = std::stol(line.substr(6)), haveRss = true;
        if (line.rfind("VmHWM:", 0) == 0) peakKib = std::stol(line.substr(6)), havePeak = true;
    }
    return haveRss && havePeak;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

ProcessSample SampleProcess(int pid) {
    ProcessSample sample;
    sample.ok = pid > 0 && ReadCpu(pid, sample.cpuSeconds) && ReadMemory(pid, sample.rssKib, sample.peakRssKib);
    return sample;
}

ProcessSample SampleSelf() {
    ProcessSample sample;
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return sample;
    sample.ok = true;
    sample.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    sample.peakRssKib = usage.ru_maxrss;
    long ignored = 0;
    ReadMemory(static_cast<int>(getpid()), sample.rssKib, ignored);
    return sample;
}

}  // namespace load
