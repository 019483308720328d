// Drives real main windows offscreen against a real tolmer-server (or a scripted peer): records message boxes, acts on
// modal dialogs as they open, and reads what the windows show.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TowerWindow.h"
#include "platform/EventLoop.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtAccess.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestClient.h"

using platform::qt::WidgetOf;  // the client tests drive the Qt backend's widgets

namespace testsupport {

using Texts = std::vector<std::string>;

// Records every message box while it lives and answers it OK. A box stays "open" for boxMs while events are handled, as
// a real one would be (after whileOpen has run), and the deepest nesting of boxes is kept.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int boxMs = 0, std::function<void()> whileOpen = {});
    ~MessageBoxRecorder() { platform::SetMessageBoxHook(nullptr); }
    const std::vector<std::string>& Texts() const { return texts_; }
    bool Saw(const std::string& text) const { return std::count(texts_.begin(), texts_.end(), text) > 0; }
    int DeepestNesting() const { return deepest_; }

private:
    std::vector<std::string> texts_;
    int open_ = 0, deepest_ = 0;
};

// Acts on every modal dialog as it opens, in turn; a dialog with no action left is cancelled.
class DialogScript {
public:
    using Action = std::function<void(platform::Dialog&)>;
    DialogScript();
    ~DialogScript() { platform::Dialog::SetModalHook(nullptr); }
    void Then(Action action) { actions_.push_back(std::move(action)); }
    int Opened() const { return opened_; }

private:
    std::vector<Action> actions_;
    std::size_t next_ = 0;
    int opened_ = 0;
};

// An action on a dialog of type D (the Start/Join dialog, the Bells dialog, the review...); another dialog, or D left
// open, fails the test.
template <typename D>
DialogScript::Action OnDialog(std::function<void(D&)> body) {
    return [body = std::move(body)](platform::Dialog& dialog) {
        auto* wanted = dynamic_cast<D*>(&dialog);
        if (wanted) body(*wanted);
        if (dialog.IsRunning()) {
            ADD_FAILURE() << (wanted ? "the dialog is still open: " : "another dialog opened: ")
                          << dialog.Template().caption;
            dialog.EndDialog(platform::IDCANCEL);
        }
    };
}

// A main window started with these arguments after the program's name, or with "--server localhost:PORT".
std::unique_ptr<TowerWindow> OpenWindow(const Texts& arguments);
inline std::unique_ptr<TowerWindow> OpenWindow(std::uint16_t port) {
    return OpenWindow(Texts{"--server", "localhost:" + std::to_string(port)});
}
// A ringer without a window: a raw connection that has joined St Mary as `name`.
TestClient JoinAsTestClient(std::uint16_t port, const std::string& name);

// The column index of the bell in the window, or -1.
inline int ColumnOf(const TowerWindow& window, int bell) {
    for (int i = 0; i < kSlotCount; ++i)
        if (window.session.slots[i].bell == bell) return i;
    return -1;
}
// The ringers list from the top, "name|bells column|ping column" per row.
inline Texts Rows(const TowerWindow& window) {
    Texts rows;
    for (int row = 0; row < window.ringerListView.GetItemCount(); ++row) {
        const auto cell = [&](int column) { return window.ringerListView.GetItemText(row, column); };
        rows.push_back(cell(0) + "|" + cell(1) + "|" + cell(2));
    }
    return rows;
}
// Selects the entry whose shown text is `text`; false when there is none.
inline bool ChooseEntry(platform::ComboBox& combo, const std::string& text) {
    int i = 0;
    while (i < combo.GetCount() && combo.GetLBText(i) != text) ++i;
    if (i < combo.GetCount()) combo.SetCurSel(i);
    return i < combo.GetCount();
}
// Pumps events until the condition holds (5 s at most).
inline bool WaitFor(const std::function<bool()>& condition) { return platform::PumpUntil(condition, 5000); }
// Saves a picture of the window under the build folder's screenshots/ (the README shows them).
bool SaveScreenshot(QWidget* widget, const std::string& name);

// An environment variable set (or unset) while the object lives, and put back as it was afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) ::setenv(name, value, 1);
        else ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A real tolmer-server on a free loopback port, with the boxes and the dialogs of the windows under test in the test's
// hands.
class RealTowerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error(); }
    // Opens a window on the server (or at `address`) that enters `tower` as `name` through the Start/Join dialog,
    // starting it when the server does not list it; nullptr when it does not get in.
    std::unique_ptr<TowerWindow> Enter(const std::string& name, const std::string& tower = "St Mary",
                                       std::string address = "");

    ServerProcess server;
    MessageBoxRecorder boxes;
    DialogScript script;
};

}  // namespace testsupport
