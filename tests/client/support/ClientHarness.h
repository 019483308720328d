// Drives a real TowerWindow offscreen: records every message box, acts on
// modal dialogs as they open, and connects the window to a scripted peer.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/TowerWindow.h"
#include "platform/EventLoop.h"
#include "tests/client/support/ScriptedPeer.h"

namespace testsupport {

// Records the text of every message box while it lives; each box is answered OK.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    const std::vector<std::string>& Texts() const { return texts_; }
    bool Saw(const std::string& text) const;
    void Clear() { texts_.clear(); }

private:
    std::vector<std::string> texts_;
};

// Acts on every modal dialog as it opens, in turn: the first opened dialog
// gets the first action, and so on. A dialog with no action left is cancelled.
class DialogScript {
public:
    using Action = std::function<void(platform::Dialog&)>;
    DialogScript();
    ~DialogScript();
    void Then(Action action) { actions_.push_back(std::move(action)); }
    int Opened() const { return opened_; }
    int Pending() const { return static_cast<int>(actions_.size()) - next_; }

private:
    std::vector<Action> actions_;
    int next_ = 0;
    int opened_ = 0;
};

// A main window started with the given command line, connected (through
// -l) to a scripted peer on a port of its own.
class WindowUnderTest {
public:
    explicit WindowUnderTest(const std::string& commandLine = "tolmer -l");
    ~WindowUnderTest();
    TowerWindow& Window() { return *window_; }
    ScriptedPeer& Peer() { return peer_; }

    // Pumps events until the peer has accepted the client's connection.
    bool WaitForConnection(int timeoutMs = 5000);
    // Pumps events until at least n bytes have arrived at the peer; takes them.
    std::string TakeBytes(std::size_t n, int timeoutMs = 5000);
    // Sends a message to the client and pumps events until `done` holds.
    bool SendAndWait(const MessageBuffer& message, const std::function<bool()>& done, int timeoutMs = 5000);
    // Pumps events for a while so that whatever would happen has happened.
    void Settle(int ms = 100) { platform::PumpFor(ms); }

private:
    ScriptedPeer peer_;
    std::unique_ptr<TowerWindow> window_;
};

// Saves a picture of a window under the build folder's screenshots/.
std::string SaveScreenshot(QWidget* widget, const std::string& name);

}  // namespace testsupport
