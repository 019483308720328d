#include "tools/robot/RobotOptions.h"

#include <string_view>

#include "common/Arguments.h"
#include "tools/robot/ChatCommand.h"
#include "tools/robot/MethodLibrary.h"
#include "tools/robot/PlaceNotation.h"

namespace robot {

RobotCommandLine ParseRobotCommandLine(const std::vector<std::string>& args, const ServerNames& servers,
                                       const ServerSettings& settings) {
    RobotCommandLine result;
    RobotOptions& options = result.options;
    auto fail = [&result](std::string error) {
        result.action = RobotCommandLine::Action::Fail;
        result.error = std::move(error);
        return result;
    };
    ServerRequest server;
    std::string switches;  // the letters of -l, -t and -d given
    std::optional<int> port;
    std::optional<std::string> method, notation;
    std::optional<int> stage;
    Arguments walk(args);
    while (walk.Next()) {
        const std::string_view flag = walk.Flag();
        auto value = [&] { return walk.Value(); };
        auto number = [&](int min, int max) {
            const auto given = value();
            return given ? ParseBoundedInt(*given, min, max) : std::nullopt;
        };
        const std::string named(flag);

        if (flag == "--help" || flag == "-h") {
            result.action = RobotCommandLine::Action::ShowHelp;
            return result;
        }
        if (flag == "-l" || flag == "-t" || flag == "-d") {
            switches += flag[1];
        } else if (flag == "--server") {
            server.given = value().value_or("");
        } else if (flag == "--port") {
            port = number(1, 65535);
            if (!port) return fail("--port needs a number from 1 to 65535");
        } else if (flag == "--interval") {
            const auto ms = number(kShortestIntervalMs, kLongestIntervalMs);
            if (!ms) {
                return fail("--interval needs a number of milliseconds from " + std::to_string(kShortestIntervalMs) +
                            " to " + std::to_string(kLongestIntervalMs));
            }
            options.intervalMs = *ms;
        } else if (flag == "--stage") {
            stage = number(kMinStage, wire::kMaxBells);
            if (!stage) return fail("--stage needs a number of bells from 3 to 12");
        } else if (flag == "--tower" || flag == "--name" || flag == "--method" || flag == "--place-notation") {
            const auto given = value();
            if (!given || given->empty()) return fail(named + " needs a value");
            if (flag == "--tower") options.tower = *given;
            if (flag == "--name") options.name = *given;
            if (flag == "--method") method = given;
            if (flag == "--place-notation") notation = given;
        } else if (flag == "--description") {
            const auto given = value();
            if (!given) return fail("--description needs a text");
            options.description = *given;
        } else {
            return fail("unknown option '" + walk.Given() + "'");
        }
    }

    // The switches count in the client's order, whatever order they came in.
    for (const char letter : {'l', 't', 'd'}) {
        if (!server.switched && switches.find(letter) != std::string::npos) {
            server.switched = ServerForSwitch(letter, servers);
        }
    }
    const ServerChoice choice = ChooseServer(server, servers.main, settings);
    if (!choice.address) return fail(choice.problem);
    options.host = choice.address->host;
    options.port = port ? static_cast<std::uint16_t>(*port) : choice.address->port;
    if (options.tower.empty()) return fail("--tower NAME is needed: the tower to join or start");
    if (method && notation) return fail("--method and --place-notation both choose the method; give one");
    if (notation.has_value() != stage.has_value()) return fail("--place-notation and --stage go together");
    if (method) {
        const std::optional<std::string> known = KnownMethodName(*method);
        if (!known) return fail("unknown method \"" + *method + "\"");
        options.methodName = *known;
    }
    if (notation) {
        const std::string name = *notation + " " + std::string(StageName(*stage));
        BuiltMethod built = MakeMethod(name, *stage, *notation);
        if (!built.method) return fail("--place-notation \"" + *notation + "\": " + built.error);
        options.notationMethod = std::move(built.method);
        options.methodName = name;
    }
    return result;
}

std::string RobotUsage() {
    const RobotOptions defaults;
    return "Usage: tolmer-robot [-l | -t | -d | --server HOST[:PORT]] [--port PORT] --tower NAME\n"
           "                    [--description TEXT] [--name NAME]\n"
           "                    [--method \"METHOD NAME\" | --place-notation PN --stage N]\n"
           "                    [--interval MS]\n"
           "Joins the tower NAME (or starts it) as a ringer that rings every bell the\n"
           "conductor gives it, in the band's rhythm: rounds at \"Look to\", the method\n"
           "at \"Go\", bobs and singles, \"That's All\" and \"Stand\". Chat to it as\n"
           "\"NAME: method METHOD\", \"NAME: interval MS\" or \"NAME: leave\".\n"
           "\n"
           "Options:\n"
           "  -l, -t, -d            this machine, the test server, the private server\n"
           "                        (as for the client); without them TOLMER_SERVER,\n"
           "                        the client's settings file or the main server\n"
           "  --server HOST[:PORT]  any other server\n"
           "  --port PORT           the server's port (default 17481, or the port the\n"
           "                        server was named with)\n"
           "  --tower NAME          the tower to join, or to start when it is not open\n"
           "  --description TEXT    the description of a tower it starts\n"
           "  --name NAME           its ringer name (default \"" +
           defaults.name +
           "\")\n"
           "  --method NAME         the method a plain \"Go\" rings (default \"" +
           defaults.methodName +
           "\" on\n"
           "                        the tower's bells); a name without its stage\n"
           "                        takes the tower's\n"
           "  --place-notation PN   any other method, with --stage N (3 to 12)\n"
           "  --interval MS         the pace until it has heard the band (default " +
           std::to_string(static_cast<int>(defaults.intervalMs)) +
           ";\n"
           "                        100 to 2000)\n"
           "  -h, --help            show this help and exit\n"
           "\n"
           "Exit status: 0 when told to leave or stopped with Ctrl-C, 1 when the server\n"
           "refuses it or the connection is lost, 2 for a wrong command line or server\n"
           "setting.\n";
}

}  // namespace robot
