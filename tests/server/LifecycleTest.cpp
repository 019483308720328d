// Signals, the log and the command line. (SIGTERM ends every test's server.)
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

class Lifecycle : public ServerTest {};

TEST_F(Lifecycle, SighupReopensTheLogFileAndSigintEndsTheServerCleanly) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    // Rotate the log as logrotate does: rename it away, then SIGHUP.
    char path[4096];
    const std::string link = "/proc/" + std::to_string(server_.Pid()) + "/fd/2";
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
    ASSERT_GT(length, 0);
    const std::string logPath(path, static_cast<std::size_t>(length));
    const std::string rotated = logPath + ".1";
    ASSERT_EQ(std::rename(logPath.c_str(), rotated.c_str()), 0);
    ASSERT_EQ(::kill(server_.Pid(), SIGHUP), 0);

    // The new file at the old path holds what came after; Ann rings on.
    EXPECT_TRUE(server_.WaitForLog("SIGHUP: reopened the log file " + logPath));
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    EXPECT_EQ(NextRecord(ann).name, "Ben");
    EXPECT_TRUE(server_.WaitForLog("\"Ben\" joined tower"));
    EXPECT_EQ(server_.Log().find("\"Ann\" started tower"), std::string::npos) << "the old lines are in the new file";
    std::ifstream old(rotated);
    const std::string oldLog((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    EXPECT_NE(oldLog.find("\"Ann\" started tower"), std::string::npos) << oldLog;
    std::remove(rotated.c_str());

    EXPECT_EQ(server_.Stop(SIGINT), 0);
    EXPECT_TRUE(ann.WaitForServerClose());
    EXPECT_TRUE(server_.WaitForLog("shutting down on signal 2"));
    EXPECT_TRUE(server_.WaitForLog("stopped"));
}

TEST(ServerSighup, WithTheLogOnAPipeIsIgnored) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);  // stderr on a pipe: nothing to reopen
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        ::execl(TOLMER_SERVER_BINARY, TOLMER_SERVER_BINARY, "--bind", "127.0.0.1", "--port", "0", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string log;
    const auto readUntil = [&](const std::string& text) {
        char block[4096];
        pollfd waiting{fds[0], POLLIN, 0};
        ssize_t n = 1;
        while (log.find(text) == std::string::npos && n > 0 && ::poll(&waiting, 1, 5000) > 0)
            if ((n = ::read(fds[0], block, sizeof block)) > 0) log.append(block, static_cast<std::size_t>(n));
        return log.find(text) != std::string::npos;
    };
    ASSERT_TRUE(readUntil("listening on"));
    ::kill(pid, SIGHUP);
    EXPECT_TRUE(readUntil("SIGHUP: the log is not a file: nothing to reopen")) << log;
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
    ::close(fds[0]);
}

TEST_F(Lifecycle, TheLogStampsEachEventWithUtcTimeAndQuietKeepsOnlyWarnings) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--quiet"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient bad;
    ASSERT_TRUE(bad.Connect(server_.Port()));
    bad.SendRaw(msg::Header(1, 1));
    ASSERT_TRUE(bad.WaitForServerClose());
    ASSERT_TRUE(server_.WaitForLog("protocol error"));
    const std::string log = server_.Log();
    EXPECT_EQ(log.find("St Mary"), std::string::npos) << "quiet logged an ordinary event:\n" << log;
    // 2024-01-31T12:34:56.789Z warn ...
    const auto line = log.substr(0, log.find('\n'));
    ASSERT_GE(line.size(), 30u);
    EXPECT_EQ(line[4], '-');
    EXPECT_EQ(line[10], 'T');
    EXPECT_EQ(line[23], 'Z');
    EXPECT_EQ(line.substr(25, 4), "warn");
}

TEST(ServerCommandLine, HelpVersionBadOptionsAndAPortInUse) {
    EXPECT_EQ(testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--help"}).exitCode, 0);
    const auto version = testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tolmer-server " TOLMER_VERSION "\n");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"--port", "70000"}, {"--port"}, {"--max-towers", "32768"}, {"--quiet=yes"}}) {
        const auto result = testsupport::RunProgram(TOLMER_SERVER_BINARY, bad);
        EXPECT_EQ(result.exitCode, 2) << bad[0];
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }

    testsupport::ServerProcess first;
    ASSERT_TRUE(first.Start(TOLMER_SERVER_BINARY)) << first.Error();
    const std::string port = std::to_string(first.Port());
    const auto second = testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--bind", "127.0.0.1", "--port", port});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("cannot listen on 127.0.0.1:" + port), std::string::npos) << second.err;
}

}  // namespace
}  // namespace servertest
