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

// Polls `done` every few milliseconds; true once it is, false at the deadline.
template <typename Done>
bool PollUntil(Clock::time_point deadline, Done&& done) {
    for (;; std::this_thread::sleep_for(milliseconds(5))) {
        if (done()) return true;
        if (Clock::now() >= deadline) return false;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

ProgramProcess::~ProgramProcess() {
    Stop(SIGKILL);
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
    if (outFd >= 0 && errFd >= 0) {
        std::vector<char*> argv{const_cast<char*>(binary.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
        if (posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    for (const int fd : {outFd, errFd})
        if (fd >= 0) ::close(fd);
    return pid_ > 0;
}

int ProgramProcess::Wait(milliseconds timeout) {
    PollUntil(Clock::now() + timeout, [this] {
        int status = 0;
        const pid_t done = pid_ > 0 ? ::waitpid(pid_, &status, WNOHANG) : -1;
        if (done == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        }
        return pid_ <= 0 || (done < 0 && errno != EINTR);
    });
    return pid_ > 0 ? -1 : exitCode_;
}

int ProgramProcess::Stop(int signal, milliseconds timeout) {
    if (pid_ <= 0) return exitCode_;
    ::kill(pid_, signal);
    if (Wait(timeout) < 0 && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
        exitCode_ = -1;
    }
    return exitCode_;
}

std::string ProgramProcess::Out() const { return outPath_.empty() ? std::string() : ReadFile(outPath_); }

std::string ProgramProcess::Err() const { return errPath_.empty() ? std::string() : ReadFile(errPath_); }

bool ServerProcess::Start(const std::string& binary, const std::vector<std::string>& extraArgs, milliseconds timeout) {
    std::vector<std::string> args = {"--port", "0", "--bind", "127.0.0.1"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    if (!process_.Start(binary, args)) {
        error_ = "cannot start " + binary;
        return false;
    }
    // The first line on stdout says where the server listens.
    std::string line;
    const auto said = [&] {
        line = process_.Out();
        return line.find('\n') != std::string::npos || process_.Wait(milliseconds(0)) >= 0;
    };
    if (!PollUntil(Clock::now() + timeout, said) || line.find('\n') == std::string::npos) {
        error_ = "the server did not say where it listens; its log:\n" + Log();
        return false;
    }
    line.resize(line.find('\n'));
    const auto colon = line.rfind(':');
    if (line.starts_with("listening on ") && colon != std::string::npos)
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str() + colon + 1));
    if (port_ == 0) error_ = "no port in the server's first line: " + line;
    return port_ != 0;
}

bool ServerProcess::WaitForLog(const std::string& text, milliseconds timeout) const {
    return PollUntil(Clock::now() + timeout, [&] { return Log().find(text) != std::string::npos; });
}

ProgramResult RunProgram(const std::string& binary, const std::vector<std::string>& args, milliseconds timeout) {
    ProgramProcess program;
    ProgramResult result;
    if (program.Start(binary, args)) result.exitCode = program.Wait(timeout);
    if (result.exitCode < 0) program.Stop(SIGKILL);
    result.out = program.Out();
    result.err = program.Err();
    return result;
}

}  // namespace testsupport
