// tolmer-robot's run: connect, join, ring until told to leave, stopped by a
// signal, refused by the server or cut off.
#pragma once

#include <ostream>

#include "tools/robot/RobotOptions.h"

namespace robot {

// The exit status: 0 when it left as asked or was stopped by SIGINT or
// SIGTERM, 1 when it could not connect, the server refused it or the
// connection was lost. Reports go to `out`, failures to `err`.
int RunRobot(const RobotOptions& options, std::ostream& out, std::ostream& err);

}  // namespace robot
