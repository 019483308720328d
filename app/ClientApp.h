// The application object: runs the main window modally; when that run ends,
// the program ends.
#pragma once

class ClientApp {
public:
    // Returns false: the program has no message loop of its own after the window.
    bool InitInstance();
};
