// Plays each input as a script of up to 16 clients against the server's
// rules without sockets (see Script.h for the script, SocketlessServer.h for
// the server and HallWatch.h for the rules checked on every step), once with
// latency balancing off and once with it on. Nothing carries over from one
// run to the next.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/fuzz/server/SocketlessServer.h"

namespace {

std::FILE* logFile = nullptr;
bool logQuiet = true;
// Above the round trips the saved seeds' ringers report (40 to 46 ms), so
// that they are balanced, and below many that fuzzed strikes report.
constexpr std::chrono::milliseconds kBalanceCap{60};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The log's lines are built and written as in the server, and thrown away
    // unless TOLMER_FUZZ_LOG is set, to follow what an input does.
    if (std::getenv("TOLMER_FUZZ_LOG") != nullptr) {
        logFile = stderr;
        logQuiet = false;
        return 0;
    }
    logFile = std::fopen("/dev/null", "w");
    if (logFile == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    for (const auto balanceCap : {std::chrono::milliseconds(0), kBalanceCap}) {
        fuzzscript::SocketlessServer server(logFile, logQuiet, balanceCap);
        server.Play(script);
    }
    return 0;
}
