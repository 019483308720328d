#include "server/Log.h"

#include <ctime>

namespace server {

void Log::Write(std::string_view level, std::string_view message) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm utc{};
    gmtime_r(&now.tv_sec, &utc);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(now.tv_nsec / 1000000));
    std::string line;
    line.reserve(message.size() + 48);
    line.append(stamp).append(" ").append(level).append(" ").append(message).append("\n");
    // One write per line, so lines stay whole even when stderr is shared.
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

std::string Quoted(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20 || byte > 0x7E) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

}  // namespace server
