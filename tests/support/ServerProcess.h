// Runs a real tolmer-server binary for a test or a load run.
//
//   testsupport::ServerProcess server;
//   ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY, {"--max-towers", "2"})) << server.Error();
//   client.Connect(server.Port());
//   ...
//   EXPECT_EQ(server.Stop(), 0);   // SIGTERM, then the exit status
//
// Start adds "--port 0 --bind 127.0.0.1" and reads the port the server bound
// from the one line it prints on stdout, "listening on 127.0.0.1:PORT". The
// server's log (stderr) goes to a temporary file that Log() reads.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess();  // kills a server still running
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the binary and waits until it listens; false (see Error) when it
    // does not say where it listens within the timeout.
    bool Start(const std::string& binary, const std::vector<std::string>& extraArgs = {},
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    std::uint16_t Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    const std::string& Error() const { return error_; }

    // Sends the signal and waits for the exit. Returns the exit code, 128 plus
    // the signal number when a signal ended it, or -1 when it did not end in
    // time (it is then killed).
    int Stop(int signal = 15, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    // Still running (not exited).
    bool Running();

    // Everything the server has logged so far.
    std::string Log() const;
    // Waits until the log holds `text`; true when it does within the timeout.
    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) const;

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::uint16_t port_ = 0;
    std::string logPath_;
    std::string error_;
};

// Runs any program in the background, its stdout and stderr kept in files.
class ProgramProcess {
public:
    ProgramProcess() = default;
    ~ProgramProcess();  // kills a program still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Start(const std::string& binary, const std::vector<std::string>& args);
    // Waits for its end: the exit code as for ServerProcess::Stop, or -1 when
    // it is still running after the timeout.
    int Wait(std::chrono::milliseconds timeout);
    // Sends the signal and waits; killed when it does not end in time (-1).
    int Stop(int signal = 15, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    // Everything it has written so far.
    std::string Out() const;
    std::string Err() const;

private:
    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string outPath_;
    std::string errPath_;
};

// The result of running a program to its end.
struct ProgramResult {
    int exitCode = -1;  // as for ServerProcess::Stop; -1 when it had to be killed
    std::string out;
    std::string err;
};

// Runs `binary` with `args`, collects stdout and stderr, and waits for its exit.
ProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                         std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

}  // namespace testsupport
