#include "server/Options.h"

#include <optional>
#include <string_view>

#include "common/Arguments.h"

namespace server {
namespace {

struct IntFlag {
    std::string_view name;
    int Options::*field;
    int min;
    int max;
};

constexpr IntFlag kIntFlags[] = {
    {"--max-connections", &Options::maxConnections, 1, 1000000},
    {"--max-towers", &Options::maxTowers, 1, 32767},
    {"--max-ringers", &Options::maxRingers, 1, 10000},
    {"--output-cap-kib", &Options::outputCapKib, 16, 1048576},
    {"--hello-timeout", &Options::helloTimeoutSeconds, 1, 3600},
    {"--join-timeout", &Options::joinTimeoutSeconds, 1, 86400},
    {"--max-per-address", &Options::maxPerAddress, 0, 1000000},
    {"--chat-rate", &Options::chatRate, 0, 10000},
    {"--chat-burst", &Options::chatBurst, 1, 100000},
    {"--strike-rate", &Options::strikeRate, 0, 100000},
    {"--strike-burst", &Options::strikeBurst, 1, 1000000},
    {"--balance-max-ms", &Options::balanceMaxMs, 0, 10000},
    {"--balance-drift-ms", &Options::balanceDriftMs, 1, 1000000},
};

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    auto fail = [&result](std::string error) {
        result.action = CommandLine::Action::Fail;
        result.error = std::move(error);
        return result;
    };
    Arguments walk(args);
    while (walk.Next()) {
        const std::string_view flag = walk.Flag();
        auto value = [&] { return walk.Value(); };
        auto noValue = [&] { return !walk.HasInlineValue(); };

        if (flag == "--help" || flag == "-h") {
            if (!noValue()) return fail("--help takes no value");
            result.action = CommandLine::Action::ShowHelp;
            return result;
        }
        if (flag == "--version") {
            if (!noValue()) return fail("--version takes no value");
            result.action = CommandLine::Action::ShowVersion;
            return result;
        }
        if (flag == "--quiet" || flag == "-q") {
            if (!noValue()) return fail("--quiet takes no value");
            result.options.quiet = true;
            continue;
        }
        if (flag == "--bind") {
            const auto address = value();
            if (!address || address->empty()) return fail("--bind needs an address");
            result.options.bind = *address;
            continue;
        }
        if (flag == "--port") {
            const auto text = value();
            const auto port = text ? ParseBoundedInt(*text, 0, 65535) : std::nullopt;
            if (!port) return fail("--port needs a number from 0 to 65535");
            result.options.port = static_cast<std::uint16_t>(*port);
            continue;
        }
        bool known = false;
        for (const IntFlag& f : kIntFlags) {
            if (flag != f.name) continue;
            known = true;
            const auto text = value();
            const auto number = text ? ParseBoundedInt(*text, f.min, f.max) : std::nullopt;
            if (!number)
                return fail(std::string(f.name) + " needs a number from " + std::to_string(f.min) + " to " +
                            std::to_string(f.max));
            result.options.*f.field = *number;
        }
        if (!known) return fail("unknown option '" + walk.Given() + "'");
    }
    return result;
}

std::string UsageText() {
    const Options defaults;
    const auto d = [](int value) { return std::to_string(value); };
    return "Usage: tolmer-server [options]\n"
           "Runs a tower server: ringers connect with the Tolmer client, start or join\n"
           "towers and ring together. Logs to stderr; SIGINT or SIGTERM stops it,\n"
           "SIGHUP reopens the log when stderr is a file (for log rotation).\n"
           "\n"
           "Options:\n"
           "  --port N              TCP port to listen on (default " +
           d(defaults.port) +
           ");\n"
           "                        0 picks a free port. The port bound is printed on\n"
           "                        stdout as one line: \"listening on ADDRESS:PORT\"\n"
           "  --bind ADDRESS        local address to listen on (default " +
           defaults.bind +
           ";\n"
           "                        127.0.0.1 for this machine only, :: for IPv6 too)\n"
           "  --max-connections N   clients connected at once (default " +
           d(defaults.maxConnections) +
           ");\n"
           "                        more are told the server is full and closed\n"
           "  --max-per-address N   clients connected at once from one IP address\n"
           "                        (default " +
           d(defaults.maxPerAddress) +
           "; 0 for no limit); more are\n"
           "                        told so and closed\n"
           "  --max-towers N        towers open at once, 1 to 32767 (default " +
           d(defaults.maxTowers) +
           ")\n"
           "  --max-ringers N       ringers in one tower (default " +
           d(defaults.maxRingers) +
           ")\n"
           "  --output-cap-kib N    KiB a client may leave unread before it is\n"
           "                        disconnected (default " +
           d(defaults.outputCapKib) +
           "); raised\n"
           "                        if needed to hold a full tower list and\n"
           "                        what a newcomer to a full tower is sent\n"
           "  --hello-timeout S     seconds a new connection has to say Hello\n"
           "                        (default " +
           d(defaults.helloTimeoutSeconds) +
           ")\n"
           "  --join-timeout S      seconds a client may stay after Hello without\n"
           "                        entering a tower (default " +
           d(defaults.joinTimeoutSeconds) +
           "); ringers in\n"
           "                        a tower may stay silent as long as they like\n"
           "  --chat-rate N         chat lines and calls a second one client may send\n"
           "                        (default " +
           d(defaults.chatRate) +
           "; 0 for no limit); more are dropped\n"
           "  --chat-burst N        ... of which this many at once (default " +
           d(defaults.chatBurst) +
           ")\n"
           "  --strike-rate N       strikes a second one client may send (default\n"
           "                        " +
           d(defaults.strikeRate) +
           "; 0 for no limit); more are dropped\n"
           "  --strike-burst N      ... of which this many at once (default " +
           d(defaults.strikeBurst) +
           ")\n"
           "  --balance-max-ms N    latency balancing: hold what goes to each ringer\n"
           "                        so that all in a tower hear their own bell after\n"
           "                        the slowest one's round trip, up to N ms; a ringer\n"
           "                        slower than that is not held (default " +
           d(defaults.balanceMaxMs) +
           "; 0: off)\n"
           "  --balance-drift-ms N  how many ms a second a ringer's hold may change\n"
           "                        (default " +
           d(defaults.balanceDriftMs) +
           ")\n"
           "  -q, --quiet           log warnings and errors only\n"
           "  -h, --help            show this help and exit\n"
           "      --version         show the version and exit\n";
}

}  // namespace server
