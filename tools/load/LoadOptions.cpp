#include "tools/load/LoadOptions.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "net/Wire.h"

namespace load {

const char* const kUsage =
    "usage: tolmer-load [options]\n"
    "Plays many ringers at once against a relay and measures every delivery.\n"
    "  --backend tolmer|redis|floor  the relay (default tolmer; floor starts a bare\n"
    "                                relay of its own unless --port is given)\n"
    "  --host ADDR        IPv4 address of the relay (default 127.0.0.1)\n"
    "  --port N           its port (default 17481 for tolmer, 6379 for redis)\n"
    "  --sources N        spread the connections over source addresses 127.0.0.1\n"
    "                     to 127.0.0.N, for more than one address's ports allow\n"
    "                     (default 1: the kernel's choice; a loopback --host only)\n"
    "  --towers N         towers (default 1)\n"
    "  --ringers M        ringers per tower, one bell each, 1 to 12 (default 8)\n"
    "  --rate R           strikes per second per ringer (default 0.5)\n"
    "  --jitter J         each gap varies by up to this fraction (default 0.25)\n"
    "  --duration S       seconds of striking (default 10)\n"
    "  --drain S          seconds to wait for late deliveries (default 3)\n"
    "  --setup-timeout S  seconds allowed for every ringer to get its bell (default 120)\n"
    "  --server-pid PID   report this process's CPU time and memory\n"
    "  --seed N           seed of the strike timing (default 1)\n"
    "  --link UP,DOWN     milliseconds added to a ringer's link on the way to the\n"
    "                     relay and back; given several times, ringer r of each\n"
    "                     tower is on the (r mod count)-th link. With links the\n"
    "                     run also reports latency balancing: when each ringer\n"
    "                     hears their own strikes, and how far listeners differ\n"
    "                     on the gap between two strikes\n"
    "  --settle S         seconds of striking before those figures are taken\n"
    "                     (default 0), for the relay's estimates to settle\n"
    "Exit status: 0 when every delivery came once and in order, 1 on any loss,\n"
    "duplicate, reordering or unknown strike, 2 when the run could not be made.\n";

const char* BackendName(BackendKind kind) {
    switch (kind) {
    case BackendKind::Tolmer: return "tolmer";
    case BackendKind::Redis: return "redis";
    case BackendKind::Floor: return "floor";
    }
    return "?";
}

namespace {

bool ParseNumber(std::string_view text, int& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool ParseNumber(std::string_view text, unsigned& out) {
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool ParseNumber(std::string_view text, double& out) {
    const std::string copy(text);
    char* end = nullptr;
    out = std::strtod(copy.c_str(), &end);
    return !copy.empty() && end == copy.c_str() + copy.size();
}

bool ParseLink(std::string_view text, std::vector<Link>& links) {
    const auto comma = text.find(',');
    Link link;
    if (comma == std::string_view::npos || !ParseNumber(text.substr(0, comma), link.upMs) ||
        !ParseNumber(text.substr(comma + 1), link.downMs))
        return false;
    if (!(link.upMs >= 0 && link.upMs <= 10000 && link.downMs >= 0 && link.downMs <= 10000)) return false;
    links.push_back(link);
    return true;
}

bool ParseBackend(std::string_view text, BackendKind& out) {
    for (auto kind : {BackendKind::Tolmer, BackendKind::Redis, BackendKind::Floor}) {
        if (text == BackendName(kind)) {
            out = kind;
            return true;
        }
    }
    return false;
}

std::string CheckRanges(const LoadOptions& o) {
    if (o.towers < 1 || o.towers > 65535) return "--towers must be 1 to 65535";
    if (o.ringers < 1 || o.ringers > wire::kMaxBells) return "--ringers must be 1 to 12";
    if (!(o.rate > 0 && o.rate <= 1000)) return "--rate must be above 0 and at most 1000";
    if (!(o.jitter >= 0 && o.jitter < 1)) return "--jitter must be at least 0 and below 1";
    if (!(o.duration > 0 && o.duration <= 3600)) return "--duration must be above 0 and at most 3600";
    if (!(o.drain >= 0 && o.drain <= 60)) return "--drain must be 0 to 60";
    if (!(o.setupTimeout > 0 && o.setupTimeout <= 3600)) return "--setup-timeout must be above 0 and at most 3600";
    if (o.port < 0 || o.port > 65535) return "--port must be 1 to 65535";
    if (o.serverPid < 0) return "--server-pid must be a process id";
    if (o.sources < 1 || o.sources > 254) return "--sources must be 1 to 254";
    if (o.sources > 1 && !o.host.starts_with("127.")) return "--sources needs a loopback --host (127.x.x.x)";
    if (o.links.size() > static_cast<std::size_t>(o.ringers)) return "more --link than --ringers";
    if (!(o.settle >= 0 && o.settle < o.duration)) return "--settle must be at least 0 and below --duration";
    return {};
}

}  // namespace

ParseResult ParseOptions(int argc, const char* const* argv, LoadOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view flag = argv[i];
        if (flag == "--help" || flag == "-h") return ParseResult::Help;
        std::string_view value;
        if (const auto eq = flag.find('='); eq != std::string_view::npos) {
            value = flag.substr(eq + 1);
            flag = flag.substr(0, eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            error = std::string(flag) + " needs a value";
            return ParseResult::Error;
        }
        bool ok = true;
        if (flag == "--backend") ok = ParseBackend(value, options.backend);
        else if (flag == "--host") options.host = value;
        else if (flag == "--port") ok = ParseNumber(value, options.port) && options.port > 0;
        else if (flag == "--sources") ok = ParseNumber(value, options.sources);
        else if (flag == "--towers") ok = ParseNumber(value, options.towers);
        else if (flag == "--ringers") ok = ParseNumber(value, options.ringers);
        else if (flag == "--rate") ok = ParseNumber(value, options.rate);
        else if (flag == "--jitter") ok = ParseNumber(value, options.jitter);
        else if (flag == "--duration") ok = ParseNumber(value, options.duration);
        else if (flag == "--drain") ok = ParseNumber(value, options.drain);
        else if (flag == "--setup-timeout") ok = ParseNumber(value, options.setupTimeout);
        else if (flag == "--server-pid") ok = ParseNumber(value, options.serverPid);
        else if (flag == "--seed") ok = ParseNumber(value, options.seed);
        else if (flag == "--link") ok = ParseLink(value, options.links);
        else if (flag == "--settle") ok = ParseNumber(value, options.settle);
        else {
            error = "unknown option " + std::string(flag);
            return ParseResult::Error;
        }
        if (!ok) {
            error = "bad value for " + std::string(flag) + ": " + std::string(value);
            return ParseResult::Error;
        }
    }
    error = CheckRanges(options);
    return error.empty() ? ParseResult::Run : ParseResult::Error;
}

}  // namespace load
