// The client tests run the real windows offscreen in one application object.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/Font.h"
#include "platform/MessageBox.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    platform::SetApplicationName("tolmer");
    platform::InstallFontSubstitutes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
