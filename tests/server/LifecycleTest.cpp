// Leaving, empty towers, the connection limit, shutting down, SIGHUP and the command line.
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

TEST_F(Lifecycle, ALeaverIsAnnouncedAndAnEmptyTowerIsRemoved) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    ASSERT_EQ(NextRecord(ann).name, "Ben");
    ben.Close();
    const auto left = ann.Receive();
    ASSERT_TRUE(left.has_value());
    ASSERT_EQ(msg::TypeOf(*left), wire::ringerLeft::kType);
    EXPECT_EQ(left->GetString(wire::ringerLeft::kName), "Ben");
    ann.Close();
    EXPECT_TRUE(server_.WaitForLog("tower \"St Mary\" closed"));
}

TEST_F(Lifecycle, ConnectionsBeyondTheLimitAreToldTheServerIsFull) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--max-connections", "2"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ben;
    Greet(ben);
    TestClient cy = Connect();
    cy.Send(msg::Hello());
    const auto notice = cy.Receive();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(msg::TypeOf(*notice), wire::serverNotice::kType);
    EXPECT_FALSE(notice->GetString(wire::serverNotice::kText).empty());
    EXPECT_TRUE(cy.WaitForServerClose());

    // Once Ben has gone there is room again.
    ben.Close();
    ASSERT_TRUE(server_.WaitForLog("closed: closed by the client"));
    TestClient di;
    const auto list = Greet(di);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "St Mary");
}

TEST_F(Lifecycle, SigtermAndSigintEndTheServerCleanly) {
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        testsupport::ServerProcess server;
        ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
        TestClient ann;
        ASSERT_TRUE(ann.Connect(server.Port()));
        ann.Send(msg::Hello());
        ASSERT_TRUE(testsupport::ReadTowerList(ann).has_value());
        ann.Send(msg::StartTower("St Mary", "", "Ann"));
        ASSERT_TRUE(ann.ReceiveType(wire::ringerInfo::kType).has_value());
        EXPECT_EQ(server.Stop(signal), 0);
        EXPECT_TRUE(ann.WaitForServerClose());
        const std::string log = server.Log();
        EXPECT_NE(log.find("shutting down"), std::string::npos) << log;
        EXPECT_NE(log.find("stopped"), std::string::npos) << log;
    }
}

TEST_F(Lifecycle, SighupReopensTheLogFileAndTheServerGoesOn) {
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
}

TEST(ServerSighup, WithTheLogOnAPipeIsIgnored) {
    // stderr on a pipe: nothing to reopen, and the server keeps running.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl(TOLMER_SERVER_BINARY, TOLMER_SERVER_BINARY, "--bind", "127.0.0.1", "--port", "0", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string log;
    const auto readUntil = [&](const std::string& text) {
        char block[4096];
        pollfd waiting{fds[0], POLLIN, 0};
        while (log.find(text) == std::string::npos && ::poll(&waiting, 1, 5000) > 0) {
            const ssize_t n = ::read(fds[0], block, sizeof block);
            if (n <= 0) break;
            log.append(block, static_cast<std::size_t>(n));
        }
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
    TestClient bad = Connect();
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

TEST(ServerCommandLine, HelpVersionAndBadOptions) {
    const auto help = testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* flag :
         {"--port", "--bind", "--max-connections", "--max-per-address", "--max-towers", "--max-ringers",
          "--output-cap-kib", "--hello-timeout", "--join-timeout", "--chat-rate", "--chat-burst", "--strike-rate",
          "--strike-burst", "--balance-max-ms", "--balance-drift-ms", "--quiet", "--version"})
        EXPECT_NE(help.out.find(flag), std::string::npos) << flag;

    const auto version = testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tolmer-server " TOLMER_VERSION "\n");

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"--port", "70000"}, {"--port"}, {"--max-towers", "32768"}, {"--quiet=yes"}}) {
        const auto result = testsupport::RunProgram(TOLMER_SERVER_BINARY, bad);
        EXPECT_EQ(result.exitCode, 2) << bad[0];
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
}

TEST(ServerCommandLine, APortInUseIsReportedAndTheServerExits) {
    testsupport::ServerProcess first;
    ASSERT_TRUE(first.Start(TOLMER_SERVER_BINARY)) << first.Error();
    const auto second =
        testsupport::RunProgram(TOLMER_SERVER_BINARY, {"--bind", "127.0.0.1", "--port", std::to_string(first.Port())});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.err.find("cannot listen on 127.0.0.1:" + std::to_string(first.Port())), std::string::npos)
        << second.err;
}

}  // namespace
}  // namespace servertest
