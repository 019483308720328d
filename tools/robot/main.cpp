// tolmer-robot: a ringer without a window that rings the bells nobody holds.
#include <sys/resource.h>

#include <iostream>

#include "app/ServerNames.h"
#include "tools/robot/RunRobot.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const robot::RobotCommandLine line = robot::ParseRobotCommandLine(
        args, ServerNames{TOLMER_MAIN_SERVER, TOLMER_TEST_SERVER, TOLMER_PRIVATE_SERVER}, ThisUsersServerSettings());
    switch (line.action) {
    case robot::RobotCommandLine::Action::ShowHelp: std::cout << robot::RobotUsage(); return 0;
    case robot::RobotCommandLine::Action::Fail:
        std::cerr << "tolmer-robot: " << line.error << "\nRun tolmer-robot --help for the options.\n";
        return 2;
    case robot::RobotCommandLine::Action::Ring: break;
    }
    // Strikes are timed to the millisecond; ask for a little priority where allowed.
    (void)setpriority(PRIO_PROCESS, 0, -10);
    return robot::RunRobot(line.options, std::cout, std::cerr);
}
