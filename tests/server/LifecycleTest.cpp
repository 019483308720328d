// Signals, the log and the command line. (SIGTERM ends every test's server.)
#include <signal.h>

#include <cstdio>
#include <thread>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using Lifecycle = ServerTest;

TEST_F(Lifecycle, SighupReopensTheLogFileAndSigintEndsTheServerCleanly) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    // Rotate the log as logrotate does: rename it away, then SIGHUP.
    const std::string rotated = server_.LogPath() + ".1";
    ASSERT_EQ(std::rename(server_.LogPath().c_str(), rotated.c_str()), 0);
    ASSERT_EQ(::kill(server_.Pid(), SIGHUP), 0);

    // The new file at the old path holds what came after; Ann rings on.
    EXPECT_TRUE(server_.WaitForLog("SIGHUP: reopened the log file " + server_.LogPath()));
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    EXPECT_EQ(NextRecord(ann).name, "Ben");
    EXPECT_TRUE(server_.WaitForLog("\"Ben\" joined tower"));
    std::remove(rotated.c_str());

    EXPECT_EQ(server_.Stop(SIGINT), 0);
    EXPECT_TRUE(ann.WaitForServerClose());
    EXPECT_TRUE(server_.WaitForLog("shutting down on signal 2"));
    EXPECT_TRUE(server_.WaitForLog("stopped"));
}

TEST(ServerSighup, WithTheLogNotInAFileIsShruggedOff) {
    // The shell hands its own process to the server, its log going to /dev/null.
    testsupport::ProgramProcess server;
    ASSERT_TRUE(
        server.Start("/bin/sh", {"-c", "exec \"$0\" --bind 127.0.0.1 --port 0 2>/dev/null", TOLMER_SERVER_BINARY}));
    for (int i = 0; i < 1000 && server.Out().find('\n') == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(server.Out().find("listening on"), std::string::npos);
    ASSERT_EQ(::kill(server.Pid(), SIGHUP), 0);
    EXPECT_EQ(server.Wait(std::chrono::milliseconds(200)), -1) << "SIGHUP ended the server";
    EXPECT_EQ(server.Stop(), 0);
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
