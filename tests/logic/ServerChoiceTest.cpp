#include <gtest/gtest.h>

#include "app/ServerChoice.h"

namespace {

const ServerNames kNames{"main.example", "test.example", "10.1.2.3"};

std::string Choose(const std::string& commandLine) {
    return ChooseServer(commandLine, kNames);
}

TEST(ServerChoice, EachSwitchChoosesItsServer) {
    EXPECT_EQ(Choose("tolmer"), "main.example");
    EXPECT_EQ(Choose("tolmer -l"), "localhost");
    EXPECT_EQ(Choose("tolmer -t"), "test.example");
    EXPECT_EQ(Choose("tolmer -d"), "10.1.2.3");
}

TEST(ServerChoice, LocalIsSearchedFirstWhereverTheSwitchesStand) {
    EXPECT_EQ(Choose("tolmer -t -l"), "localhost");
    EXPECT_EQ(Choose("tolmer -d -t"), "test.example");
}

TEST(ServerChoice, SwitchesArePlainCaseSensitiveTextWithTheirBlank) {
    EXPECT_EQ(Choose("-l"), "main.example");  // no blank before the dash
    EXPECT_EQ(Choose("tolmer -lx"), "localhost");
    EXPECT_EQ(Choose("tolmer -L"), "main.example");
    // The program path is part of the text searched.
    EXPECT_EQ(Choose("/opt/my -tools/tolmer"), "test.example");
}

}  // namespace
