// The desktop session of the process, made once at the start of main before
// any window: it takes the application name (the executable's file name
// without its extension) and the command line as the system reports them.
#pragma once

#include <memory>

namespace platform {

class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Handles events until the program is asked to quit; the exit code.
    int Run();

private:
    struct Native;
    std::unique_ptr<Native> native_;
};

}  // namespace platform
