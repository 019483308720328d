#include "tests/support/ServerProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

int ExitCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

// Waits for the child to end; its exit code, or -1 when it has not ended by the deadline.
int WaitForExit(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return ExitCode(status);
        if (done < 0 && errno != EINTR) return -1;
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return -1;
}

// Starts `binary` with `args`; stdout and stderr go to the given descriptors.
pid_t Spawn(const std::string& binary, const std::vector<std::string>& args, int outFd, int errFd) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(binary.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

bool ServerProcess::Start(const std::string& binary, const std::vector<std::string>& extraArgs,
                          std::chrono::milliseconds timeout) {
    std::vector<std::string> args = {"--port", "0", "--bind", "127.0.0.1"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    if (!process_.Start(binary, args)) {
        error_ = "cannot start " + binary;
        return false;
    }
    // The first line on stdout says where the server listens.
    const auto deadline = Clock::now() + timeout;
    std::string line = process_.Out();
    for (; line.find('\n') == std::string::npos; line = process_.Out()) {
        if (process_.Wait(std::chrono::milliseconds(0)) >= 0 || Clock::now() >= deadline) {
            error_ = "the server did not say where it listens; its log:\n" + Log();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    line.resize(line.find('\n'));
    const auto colon = line.rfind(':');
    if (line.starts_with("listening on ") && colon != std::string::npos)
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + colon + 1));
    if (port_ == 0) error_ = "no port in the server's first line: " + line;
    return port_ != 0;
}

bool ServerProcess::WaitForLog(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (Log().find(text) != std::string::npos) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ProgramProcess::~ProgramProcess() {
    if (pid_ > 0) KillAndReap(pid_);
    for (const std::string& path : {outPath_, errPath_})
        if (!path.empty()) ::unlink(path.c_str());
}

bool ProgramProcess::Start(const std::string& binary, const std::vector<std::string>& args) {
    char outTemplate[] = "/tmp/tolmer-run-out-XXXXXX";
    char errTemplate[] = "/tmp/tolmer-run-err-XXXXXX";
    const int outFd = ::mkstemp(outTemplate);
    const int errFd = ::mkstemp(errTemplate);
    if (outFd >= 0) outPath_ = outTemplate;
    if (errFd >= 0) errPath_ = errTemplate;
    if (outFd >= 0 && errFd >= 0) pid_ = Spawn(binary, args, outFd, errFd);
    for (const int fd : {outFd, errFd})
        if (fd >= 0) ::close(fd);
    return pid_ > 0;
}

int ProgramProcess::Wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return exitCode_;
    exitCode_ = WaitForExit(pid_, Clock::now() + timeout);
    if (exitCode_ >= 0) pid_ = -1;
    return exitCode_;
}

int ProgramProcess::Stop(int signal, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return exitCode_;
    ::kill(pid_, signal);
    if (Wait(timeout) < 0) {
        KillAndReap(pid_);
        pid_ = -1;
    }
    return exitCode_;
}

std::string ProgramProcess::Out() const { return outPath_.empty() ? std::string() : ReadFile(outPath_); }

std::string ProgramProcess::Err() const { return errPath_.empty() ? std::string() : ReadFile(errPath_); }

ProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                         std::chrono::milliseconds timeout) {
    ProgramProcess program;
    ProgramResult result;
    if (program.Start(binary, args)) result.exitCode = program.Wait(timeout);
    if (result.exitCode < 0) program.Stop(SIGKILL);
    result.out = program.Out();
    result.err = program.Err();
    return result;
}

}  // namespace testsupport
