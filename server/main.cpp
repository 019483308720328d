// tolmer-server: the tower server that Tolmer clients connect to.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "server/Log.h"
#include "server/Options.h"
#include "server/TowerServer.h"

namespace {

// Descriptors kept free for the listener, the event loop and turned-away clients.
constexpr rlim_t kSpareDescriptors = server::TowerServer::kSpareDescriptors;

// Raises the open-file limit as far as the system allows for the connections
// asked for, and lowers the connection limit to what fits, so that clients
// beyond it are told the server is full instead of failing to be accepted.
void FitConnectionLimit(server::Options& options, server::Log& log) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    const rlim_t wanted = static_cast<rlim_t>(options.maxConnections) + kSpareDescriptors;
    if (limit.rlim_cur < wanted) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, limit.rlim_max);
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    if (limit.rlim_cur >= wanted) return;
    const int fits = limit.rlim_cur > kSpareDescriptors ? static_cast<int>(limit.rlim_cur - kSpareDescriptors) : 1;
    log.Warn("the open-file limit of " + std::to_string(limit.rlim_cur) + " allows " + std::to_string(fits) +
             " connections, not " + std::to_string(options.maxConnections) + "; raise it (LimitNOFILE) for more");
    options.maxConnections = fits;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    server::CommandLine commandLine = server::ParseCommandLine(args);
    switch (commandLine.action) {
    case server::CommandLine::Action::ShowHelp: std::fputs(server::UsageText().c_str(), stdout); return 0;
    case server::CommandLine::Action::ShowVersion: std::printf("tolmer-server %s\n", TOLMER_VERSION); return 0;
    case server::CommandLine::Action::Fail:
        std::fprintf(stderr, "tolmer-server: %s\nTry 'tolmer-server --help'.\n", commandLine.error.c_str());
        return 2;
    case server::CommandLine::Action::Serve: break;
    }

    // A client that vanishes mid-send must cost an error code, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    server::Options& options = commandLine.options;
    server::Log log(options.quiet);
    FitConnectionLimit(options, log);
    try {
        server::TowerServer tower(options, log);
        asio::ip::tcp::endpoint bound;
        try {
            bound = tower.Listen();
        } catch (const std::exception& e) {
            log.Warn("cannot listen on " + options.bind + ":" + std::to_string(options.port) + ": " + e.what());
            return 1;
        }
        // The one line on stdout: tests and scripts read the port from it.
        std::printf("listening on %s\n", server::EndpointText(bound).c_str());
        std::fflush(stdout);
        log.Info("tolmer-server " TOLMER_VERSION " listening on " + server::EndpointText(bound));
        tower.Run();
    } catch (const std::exception& e) {
        log.Warn(std::string("stopped by an error: ") + e.what());
        return 1;
    }
    log.Info("stopped");
    return 0;
}
