// Plays each input as a script of up to 16 clients against the server's
// rules without sockets (see Script.h for the script, SocketlessServer.h for
// the server and HallWatch.h for the rules checked on every step). Nothing
// carries over from one input to the next.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/fuzz/server/SocketlessServer.h"

namespace {

std::FILE* logFile = nullptr;
bool logQuiet = true;

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
    fuzzscript::SocketlessServer server(logFile, logQuiet);
    server.Play(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
