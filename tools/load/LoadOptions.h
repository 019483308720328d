// The command line of tolmer-load.
#pragma once

#include <string>
#include <vector>

namespace load {

enum class BackendKind { Tolmer, Redis, Floor };

const char* BackendName(BackendKind kind);

// Delay added to a ringer's connection in each direction, in the tool's own
// queues (the kernel adds none on loopback).
struct Link {
    double upMs = 0;
    double downMs = 0;
    double RoundTripMs() const { return upMs + downMs; }
};

struct LoadOptions {
    BackendKind backend = BackendKind::Tolmer;
    std::string host = "127.0.0.1";
    int port = 0;     // 0: the backend's usual port; for floor, a relay of the tool's own
    int sources = 1;  // connections spread over 127.0.0.1 to 127.0.0.N; 1: the kernel chooses
    int towers = 1;
    int ringers = 8;
    double rate = 0.5;     // strikes per second per ringer
    double jitter = 0.25;  // each gap is the mean gap times 1 +- up to this fraction
    double duration = 10;  // seconds of striking
    double drain = 3;      // seconds to wait for late deliveries after the last strike
    double setupTimeout = 120;
    int serverPid = 0;  // whose CPU and memory to report; 0: none
    unsigned seed = 1;
    std::vector<Link> links;  // ringer r of each tower is on links[r % size]; none: no delay
    double settle = 0;        // seconds of striking before the balance figures are taken
};

enum class ParseResult { Run, Help, Error };

// Reads argv into `options`; on Error, `error` says what is wrong.
ParseResult ParseOptions(int argc, const char* const* argv, LoadOptions& options, std::string& error);

extern const char* const kUsage;

}  // namespace load
