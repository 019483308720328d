#include "tests/client/support/Harness.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "lobby/JoinTowerDialog.h"
#include "platform/MessageBox.h"
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

MessageBoxRecorder::~MessageBoxRecorder() { platform::SetMessageBoxHook(nullptr); }

bool MessageBoxRecorder::Saw(const std::string& text) const {
    return std::find(texts_.begin(), texts_.end(), text) != texts_.end();
}

DialogScript::DialogScript() {
    platform::Dialog::SetModalHook([this](platform::Dialog& dialog) {
        ++opened_;
        if (next_ < actions_.size()) {
            const Action action = actions_[next_++];
            action(dialog);
        } else {
            dialog.OnCancel();
        }
    });
}

DialogScript::~DialogScript() { platform::Dialog::SetModalHook(nullptr); }

std::unique_ptr<TowerWindow> OpenWindow(const std::vector<std::string>& arguments) {
    std::string line = "tolmer";
    for (const std::string& argument : arguments) line += " " + argument;
    platform::SetCommandLine(line);
    auto window = std::make_unique<TowerWindow>();
    window->Create();
    return window;
}

std::unique_ptr<TowerWindow> OpenWindow(std::uint16_t port) {
    return OpenWindow({"--server", "localhost:" + std::to_string(port)});
}

std::unique_ptr<TowerWindow> EnterTower(const std::vector<std::string>& arguments, DialogScript& script,
                                        const std::string& name, const std::string& tower) {
    script.Then(OnDialog<JoinTowerDialog>([name, tower](JoinTowerDialog& join) {
        join.userNameEdit.SetWindowText(name);
        int listed = -1;
        for (int row = 0; row < join.towerListView.GetItemCount(); ++row)
            if (join.towerListView.GetItemText(row, 0) == tower) listed = row;
        if (listed == -1) {
            join.SendCommand(ids::IDC_START_RADIO);
            join.towerNameEdit.SetWindowText(tower);
        } else {
            join.SendCommand(ids::IDC_JOIN_RADIO);
            join.towerListView.SetSelectionMark(listed);
        }
        join.SendCommand(platform::IDOK);
    }));
    std::unique_ptr<TowerWindow> window = OpenWindow(arguments);
    const bool entered =
        WaitFor([&] { return window->session.currentTower == tower && window->session.ringers.FindRinger(name); });
    return entered ? std::move(window) : nullptr;
}

TestClient JoinAsTestClient(std::uint16_t port, const std::string& name) {
    TestClient client;
    if (client.Connect(port)) {
        client.Send(msg::Hello());
        client.Send(msg::JoinTower("St Mary", name));
    }
    return client;
}

int ColumnOf(const TowerWindow& window, int bell) {
    for (int i = 0; i < kSlotCount; ++i)
        if (window.session.slots[i].bell == bell) return i;
    return -1;
}

std::vector<std::string> Rows(const TowerWindow& window) {
    std::vector<std::string> rows;
    const platform::ListView& list = window.ringerListView;
    for (int row = 0; row < list.GetItemCount(); ++row)
        rows.push_back(list.GetItemText(row, 0) + "|" + list.GetItemText(row, 1) + "|" + list.GetItemText(row, 2));
    return rows;
}

bool ChooseEntry(platform::ComboBox& combo, const std::string& text) {
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (combo.GetLBText(i) == text) {
            combo.SetCurSel(i);
            return true;
        }
    }
    return false;
}

bool WaitFor(const std::function<bool()>& condition) { return platform::PumpUntil(condition, 5000); }

bool SaveScreenshot(QWidget* widget, const std::string& name) {
    const QString dir = QStringLiteral(TOLMER_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    return widget && widget->grab().save(dir + "/" + QString::fromStdString(name) + ".png");
}

}  // namespace testsupport
