// tolmer-load: plays many ringers at once against a relay (tolmer-server,
// Redis, or a bare relay of its own) and accounts for every strike delivery.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>

#include "net/Wire.h"
#include "tools/load/FdLimit.h"
#include "tools/load/FloorRelay.h"
#include "tools/load/LoadRun.h"
#include "tools/load/Report.h"

namespace {

constexpr int kRedisPort = 6379;
constexpr long kSpareDescriptors = 64;

// Runs a floor relay in a child process, so that it has a core of its own
// like any other relay. Returns its pid; `port` gets its port.
pid_t StartFloorRelay(int& port) {
    port = 0;
    const int listenFd = load::ListenOnLoopback(port);
    if (listenFd < 0) throw load::LoadError(std::string("floor relay: cannot listen: ") + std::strerror(errno));
    const pid_t pid = fork();
    if (pid < 0) throw load::LoadError(std::string("floor relay: fork: ") + std::strerror(errno));
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        load::FloorRelay relay(listenFd);
        _exit(relay.Run() ? 0 : 1);
    }
    close(listenFd);
    return pid;
}

void StopProcess(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

}  // namespace

int main(int argc, char** argv) {
    load::LoadOptions options;
    std::string error;
    switch (load::ParseOptions(argc, argv, options, error)) {
    case load::ParseResult::Help: std::cout << load::kUsage; return 0;
    case load::ParseResult::Error: std::cerr << "tolmer-load: " << error << "\n" << load::kUsage; return 2;
    case load::ParseResult::Run: break;
    }

    const long needed = static_cast<long>(options.towers) * options.ringers + kSpareDescriptors;
    if (const auto why = load::RaiseDescriptorLimit(needed); !why.empty()) {
        std::cerr << "tolmer-load: " << why << "\n";
        return 2;
    }

    pid_t ownRelay = 0;
    try {
        if (options.port == 0) {
            switch (options.backend) {
            case load::BackendKind::Tolmer: options.port = wire::kServerPort; break;
            case load::BackendKind::Redis: options.port = kRedisPort; break;
            case load::BackendKind::Floor:
                ownRelay = StartFloorRelay(options.port);
                if (options.serverPid == 0) options.serverPid = ownRelay;
                break;
            }
        }
        const auto backend = load::MakeBackend(options.backend);
        const auto result = load::RunLoad(options, *backend);
        StopProcess(ownRelay);
        std::cout << load::FormatTable(options, result) << load::FormatJson(options, result) << std::endl;
        return result.faults.Total() == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        StopProcess(ownRelay);
        std::cerr << "tolmer-load: " << e.what() << "\n";
        return 2;
    }
}
