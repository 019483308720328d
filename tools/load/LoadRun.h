// One load run: connect every ringer, let each tower enter and hand out its
// bells, strike for the set time, wait for the last deliveries and account
// for all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "tools/load/Backend.h"
#include "tools/load/BalanceLog.h"
#include "tools/load/Ledger.h"
#include "tools/load/LoadOptions.h"
#include "tools/load/Percentiles.h"
#include "tools/load/ProcStats.h"

namespace load {

struct RunResult {
    std::uint64_t strikes = 0;
    std::uint64_t expected = 0;   // strikes times ringers per tower
    std::uint64_t delivered = 0;  // first deliveries
    Faults faults;
    LatencySummary echo;    // back at the sender
    LatencySummary fanOut;  // at the other ringers of the tower
    double setupSeconds = 0;
    double runSeconds = 0;                    // from the first strike to the end of the drain
    ProcessSample toolBefore, toolAfter;      // around the striking
    ProcessSample serverIdle;                 // before the first connection
    ProcessSample serverBefore, serverAfter;  // around the striking
    std::optional<BalanceSummary> balance;    // with link delays
    // How late the tool woke to pass on what its links delayed: the machine's
    // timer wake-ups, which a relay that holds output depends on as well.
    LatencySummary linkLateness;
};

// The run could not be made: refused connection, protocol error, time-out.
class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `options.port` must be the relay's actual port.
RunResult RunLoad(const LoadOptions& options, const Backend& backend);

std::uint64_t NowNs();

}  // namespace load
