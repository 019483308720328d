#include "server/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace server {

Log::Log(bool quiet, std::FILE* out) : quiet_(quiet), out_(out) {
    struct stat status {};
    const int fd = fileno(out_);
    if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return;
    char path[4096];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path, sizeof path - 1);
    if (length > 0 && path[0] == '/') path_.assign(path, static_cast<std::size_t>(length));
}

std::string Log::Reopen() {
    if (path_.empty()) return "the log is not a file: nothing to reopen";
    std::fflush(out_);
    const int fd = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0) return "could not reopen the log file " + path_ + ": " + std::strerror(errno);
    const int result = dup2(fd, fileno(out_));
    const int error = errno;
    close(fd);
    if (result < 0) return "could not reopen the log file " + path_ + ": " + std::strerror(error);
    return "reopened the log file " + path_;
}

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
