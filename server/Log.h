// The server's log: one line per event on stderr, stamped with UTC time.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace server {

class Log {
public:
    // A quiet log keeps warnings only: protocol errors, slow clients, failures.
    explicit Log(bool quiet, std::FILE* out = stderr);

    void Info(std::string_view message) {
        if (!quiet_) Write("info", message);
    }
    void Warn(std::string_view message) { Write("warn", message); }

    // For log rotation (SIGHUP): when the log went to a file at start, opens
    // that path again, so a file renamed away is let go and a new one begun.
    // Says what it did, for the log.
    std::string Reopen();

private:
    void Write(std::string_view level, std::string_view message);

    bool quiet_;
    std::FILE* out_;
    std::string path_;  // the file the log went to at start; empty when not a file
};

// A name or text from the wire as it may go into a log line: in double quotes,
// with quotes, backslashes, control bytes and bytes above 126 escaped, so a
// hand-made name can neither break a line nor forge one.
std::string Quoted(std::string_view text);

}  // namespace server
