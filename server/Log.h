// The server's log: one line per event on stderr, stamped with UTC time.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace server {

class Log {
public:
    // A quiet log keeps warnings only: protocol errors, slow clients, failures.
    explicit Log(bool quiet, std::FILE* out = stderr) : quiet_(quiet), out_(out) {}

    void Info(std::string_view message) {
        if (!quiet_) Write("info", message);
    }
    void Warn(std::string_view message) { Write("warn", message); }

private:
    void Write(std::string_view level, std::string_view message);

    bool quiet_;
    std::FILE* out_;
};

// A name or text from the wire as it may go into a log line: in double quotes,
// with quotes, backslashes, control bytes and bytes above 126 escaped, so a
// hand-made name can neither break a line nor forge one.
std::string Quoted(std::string_view text);

}  // namespace server
