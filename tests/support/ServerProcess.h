// Runs a real tolmer-server binary, or any program, for a test or a benchmark.
// ServerProcess::Start adds "--port 0 --bind 127.0.0.1" and reads the port the
// server bound from the line it prints on stdout, "listening on 127.0.0.1:PORT";
// its log is its stderr. A program still running when its object goes is killed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using std::chrono::milliseconds;

// Runs any program in the background, its stdout and stderr kept in files.
class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Start(const std::string& binary, const std::vector<std::string>& args);
    pid_t Pid() const { return pid_; }  // -1 once it has ended
    // Waits for its end: the exit code, 128 plus the signal number when a
    // signal ended it, or -1 when it is still running after the timeout.
    int Wait(milliseconds timeout);
    // Sends the signal and waits; killed when it does not end in time (-1).
    int Stop(int signal = 15, milliseconds timeout = milliseconds(10000));
    // Everything it has written so far.
    std::string Out() const;
    std::string Err() const;
    const std::string& ErrPath() const { return errPath_; }

private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string outPath_;
    std::string errPath_;
};

class ServerProcess {
public:
    // Starts the binary and waits until it listens; false (see Error) when it
    // does not say where it listens within the timeout.
    bool Start(const std::string& binary, const std::vector<std::string>& extraArgs = {},
               milliseconds timeout = milliseconds(10000));
    std::uint16_t Port() const { return port_; }
    pid_t Pid() const { return process_.Pid(); }
    const std::string& Error() const { return error_; }
    int Stop(int signal = 15, milliseconds timeout = milliseconds(10000)) { return process_.Stop(signal, timeout); }
    // Everything the server has logged so far.
    std::string Log() const { return process_.Err(); }
    const std::string& LogPath() const { return process_.ErrPath(); }
    // Waits until the log holds `text`; true when it does within the timeout.
    bool WaitForLog(const std::string& text, milliseconds timeout = milliseconds(5000)) const;

private:
    ProgramProcess process_;
    std::uint16_t port_ = 0;
    std::string error_;
};

struct ProgramResult {
    int exitCode = -1;  // as for ProgramProcess::Wait; -1 when it had to be killed
    std::string out;
    std::string err;
};

// Runs `binary` with `args` to its end and collects stdout and stderr.
ProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                         milliseconds timeout = milliseconds(10000));

}  // namespace testsupport
