// The Win32 backend's tests run in one application object, as the client does.
#include <gtest/gtest.h>

#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
