// The client tests run the real windows offscreen in one application object.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Application.h"
#include "platform/MessageBox.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::Application application(argc, argv);
    platform::SetApplicationName("tolmer");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
