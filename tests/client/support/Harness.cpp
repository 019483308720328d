#include "tests/client/support/Harness.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include "lobby/JoinTowerDialog.h"
#include "platform/Process.h"
#include "resources/ResourceIds.h"
#include "tests/support/TestMessages.h"

namespace testsupport {

MessageBoxRecorder::MessageBoxRecorder(int boxMs, std::function<void()> whileOpen) {
    platform::SetMessageBoxHook([this, boxMs, whileOpen](const std::string& text) {
        texts_.push_back(text);
        deepest_ = std::max(deepest_, ++open_);
        if (whileOpen) whileOpen();
        if (boxMs > 0) platform::PumpFor(boxMs);
        --open_;
    });
}

DialogScript::DialogScript() {
    platform::Dialog::SetModalHook([this](platform::Dialog& dialog) {
        ++opened_;
        // A copy: the action may add actions.
        const Action action = next_ < actions_.size() ? actions_[next_++] : [](platform::Dialog& d) { d.OnCancel(); };
        action(dialog);
    });
}

std::unique_ptr<TowerWindow> OpenWindow(const Texts& arguments) {
    std::string line = "tolmer";
    for (const std::string& argument : arguments) line += " " + argument;
    platform::SetCommandLine(line);
    auto window = std::make_unique<TowerWindow>();
    window->Create();
    return window;
}

std::unique_ptr<TowerWindow> RealTowerTest::Enter(const std::string& name, const std::string& tower,
                                                  std::string address) {
    script.Then(OnDialog<JoinTowerDialog>([name, tower](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText(name);
        int listed = -1;
        for (int row = 0; row < join.towerListView.GetItemCount(); ++row)
            if (join.towerListView.GetItemText(row, 0) == tower) listed = row;
        join.SendCommand(listed == -1 ? ids::IDC_START_RADIO : ids::IDC_JOIN_RADIO);
        if (listed == -1) join.towerNameEdit.SetWindowText(tower);
        else join.towerListView.SetSelectionMark(listed);
        join.SendCommand(platform::IDOK);
    }));
    if (address.empty()) address = "localhost:" + std::to_string(server.Port());
    std::unique_ptr<TowerWindow> window = OpenWindow(Texts{"--server", address});
    const bool entered =
        WaitFor([&] { return window->session.currentTower == tower && window->session.ringers.FindRinger(name); });
    return entered ? std::move(window) : nullptr;
}

TestClient JoinAsTestClient(std::uint16_t port, const std::string& name) {
    TestClient client;
    client.Connect(port);  // when it fails, so do the sends, and the test on the ringer's row
    client.Send(msg::Hello());
    client.Send(msg::JoinTower("St Mary", name));
    return client;
}

bool SaveScreenshot(QWidget* widget, const std::string& name) {
    const QString dir = QStringLiteral(TOLMER_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    return widget && widget->grab().save(dir + "/" + QString::fromStdString(name) + ".png");
}

}  // namespace testsupport
