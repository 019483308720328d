#include "tests/client/support/Harness.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include "lobby/JoinTowerDialog.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "resources/ResourceIds.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

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

DialogScript::DialogScript() {
    platform::Dialog::SetModalHook([this](platform::Dialog& dialog) {
        const auto index = static_cast<std::size_t>(opened_++);
        // A copy: the action may add actions.
        const Action action = index < actions_.size() ? actions_[index] : [](platform::Dialog& d) { d.OnCancel(); };
        action(dialog);
    });
}

DialogScript::~DialogScript() { platform::Dialog::SetModalHook(nullptr); }

std::unique_ptr<TowerWindow> OpenWindow(const Texts& arguments) {
    std::string line = "tolmer";
    for (const std::string& argument : arguments) line += " " + argument;
    platform::SetCommandLine(line);
    auto window = std::make_unique<TowerWindow>();
    window->Create();
    return window;
}

std::unique_ptr<TowerWindow> EnterTower(const Texts& arguments, DialogScript& script, const std::string& name,
                                        const std::string& tower) {
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

Texts Rows(const TowerWindow& window) {
    Texts rows;
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

bool SaveScreenshot(QWidget* widget, const std::string& name) {
    const QString dir = QStringLiteral(TOLMER_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    return widget && widget->grab().save(dir + "/" + QString::fromStdString(name) + ".png");
}

void RealTowerTest::Allocate(TowerWindow& window, const Texts& byBell) {
    script.Then(OnDialog<BellsDialog>([byBell](BellsDialog& bells) {
        for (std::size_t bell = 0; bell < byBell.size(); ++bell) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
    }));
    window.bellsButton.Click();
}

}  // namespace testsupport
