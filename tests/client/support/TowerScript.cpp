#include "tests/client/support/TowerScript.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "lobby/JoinTowerDialog.h"
#include "platform/EventLoop.h"
#include "platform/Process.h"
#include "resources/ResourceIds.h"
#include "tower/BellsDialog.h"

namespace testsupport {

namespace {

// Cuts the whole messages at the front of the peer's buffer.
void CutMessages(ScriptedPeer& peer, std::vector<MessageBuffer>& into, std::size_t limit) {
    std::string& bytes = peer.Buffered();
    while (into.size() < limit && bytes.size() >= 2) {
        const MessageBuffer head(std::string_view(bytes).substr(0, 2));
        const std::size_t length = head.GetU16(wire::kLengthOffset);
        if (length < 2 || bytes.size() < length) {
            break;
        }
        into.emplace_back(std::string_view(bytes).substr(0, length));
        bytes.erase(0, length);
    }
}

}  // namespace

MessageBuffer TowerListEntryMessage(int towerCount, std::string_view tower, std::string_view description) {
    return wire::Build(wire::TowerListEntry{static_cast<std::int16_t>(towerCount), tower, description});
}

MessageBuffer TowerEnteredMessage(std::string_view tower) { return wire::Build(wire::TowerEntered{tower}); }

MessageBuffer RingerInfoMessage(int bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    return wire::Build(wire::RingerInfo{static_cast<std::uint16_t>(bellCount), ringer, bells, conductor});
}

MessageBuffer RingerLeftMessage(std::string_view ringer) { return wire::Build(wire::RingerLeft{ringer}); }

MessageBuffer ChatMessage(std::string_view ringer, std::string_view line) { return wire::Build(wire::Chat{ringer, line}); }

MessageBuffer CallMessage(std::string_view text) { return wire::Build(wire::Call{text}); }

MessageBuffer StrikeMessage(int bell, int stroke, int sequence, int ping, int length) {
    // A shorter strike is the full one cut off, its length word saying so.
    MessageBuffer m = testsupport::msg::Strike(bell, stroke, sequence, ping).Left(static_cast<std::size_t>(length));
    m.PutU16(wire::kLengthOffset, static_cast<unsigned>(length));
    return m;
}

bool EnterTower(WindowUnderTest& w, const std::string& ownName, int bellCount,
                const std::vector<RingerSpec>& ringers, const std::string& tower) {
    if (!w.WaitForConnection() || w.TakeBytes(wire::hello::kSize).size() != wire::hello::kSize) {
        return false;
    }
    TowerWindow& window = w.Window();
    window.ownName = ownName;
    w.Peer().Send(TowerEnteredMessage(tower));
    for (const RingerSpec& ringer : ringers) {
        w.Peer().Send(RingerInfoMessage(bellCount, ringer.name, ringer.bells, ringer.conductor));
    }
    return platform::PumpUntil(
        [&] {
            if (window.currentTower != tower) return false;
            if (ringers.empty()) return true;
            const Ringer* last = window.ringers.FindRinger(ringers.back().name);
            return last != nullptr && last->bells == ringers.back().bells && window.bellCount == bellCount;
        },
        5000);
}

std::vector<MessageBuffer> TakeMessages(WindowUnderTest& w, std::size_t count, int timeoutMs) {
    std::vector<MessageBuffer> messages;
    platform::PumpUntil(
        [&] {
            w.Peer().ReadAvailable();
            CutMessages(w.Peer(), messages, count);
            return messages.size() >= count;
        },
        timeoutMs);
    return messages;
}

std::vector<MessageBuffer> TakeMessagesWithin(WindowUnderTest& w, int ms) {
    w.Settle(ms);
    std::vector<MessageBuffer> messages;
    w.Peer().ReadAvailable();
    CutMessages(w.Peer(), messages, static_cast<std::size_t>(-1));
    return messages;
}

BellSlot* SlotOfBell(TowerWindow& window, int bell) {
    const auto found = std::find_if(window.slots.begin(), window.slots.end(),
                                    [bell](const BellSlot& slot) { return slot.bell == bell; });
    return found == window.slots.end() ? nullptr : &*found;
}

std::string RingerCell(TowerWindow& window, const std::string& name, int column) {
    const Ringer* ringer = window.ringers.FindRinger(name);
    if (ringer == nullptr) return {};
    const int row = window.FindRingerRow(ringer->itemId);
    return row < 0 ? std::string() : window.ringerListView.GetItemText(row, column);
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

bool ChooseBells(BellsDialog& dialog, const std::vector<std::string>& byBell) {
    bool found = true;
    for (std::size_t bell = 1; bell <= dialog.bellCombos.size(); ++bell) {
        const std::string name = bell <= byBell.size() ? byBell[bell - 1] : std::string();
        found = ChooseEntry(*dialog.bellCombos[bell - 1], name) && found;
    }
    return found;
}

std::vector<std::string> Rows(TowerWindow& window, bool withPing) {
    std::vector<std::string> rows;
    const platform::ListView& list = window.ringerListView;
    for (int row = 0; row < list.GetItemCount(); ++row)
        rows.push_back(list.GetItemText(row, 0) + "|" + list.GetItemText(row, 1) +
                       (withPing ? "|" + list.GetItemText(row, 2) : ""));
    return rows;
}

DialogScript::Action OnJoinDialog(std::function<void(JoinTowerDialog&)> body) {
    return [body = std::move(body)](platform::Dialog& d) {
        auto* join = dynamic_cast<JoinTowerDialog*>(&d);
        if (join == nullptr) {
            ADD_FAILURE() << "another dialog opened: " << d.Template().caption;
            d.EndDialog(platform::IDCANCEL);
            return;
        }
        body(*join);
        if (join->IsRunning()) {
            ADD_FAILURE() << "the dialog is still open";
            join->EndDialog(platform::IDCANCEL);
        }
    };
}

std::unique_ptr<TowerWindow> OpenWindowOn(std::uint16_t port) {
    static char program[] = "tolmer";
    static char local[] = "-l";
    char* argv[] = {program, local};
    platform::SetCommandLine(2, argv);
    auto window = std::make_unique<TowerWindow>();
    window->serverPort = port;
    window->Create();
    return window;
}

std::unique_ptr<TowerWindow> EnterRealTower(std::uint16_t port, DialogScript& script, const std::string& name,
                                            const std::string& tower) {
    script.Then([name, tower](platform::Dialog& dialog) {
        auto* join = dynamic_cast<JoinTowerDialog*>(&dialog);
        if (join == nullptr) {
            dialog.OnCancel();  // not the Start/Join dialog: the wait below fails
            return;
        }
        join->userNameEdit.SetWindowText(name);
        int listed = -1;
        for (int row = 0; row < join->towerListView.GetItemCount(); ++row) {
            if (join->towerListView.GetItemText(row, 0) == tower) listed = row;
        }
        if (listed == -1) {
            join->SendCommand(ids::IDC_START_RADIO);
            join->towerNameEdit.SetWindowText(tower);
        } else {
            join->SendCommand(ids::IDC_JOIN_RADIO);
            join->towerListView.SetSelectionMark(listed);
        }
        join->SendCommand(platform::IDOK);
    });
    std::unique_ptr<TowerWindow> window = OpenWindowOn(port);
    const bool entered = platform::PumpUntil(
        [&] { return window->currentTower == tower && window->ringers.FindRinger(name) != nullptr; }, 10000);
    if (!entered) {
        return nullptr;
    }
    return window;
}

bool AllocateBells(TowerWindow& window, DialogScript& script, const std::vector<std::string>& byBell,
                   const std::string& conductor) {
    bool chosen = false;
    bool closedWithOk = false;
    script.Then([&](platform::Dialog& dialog) {
        auto* bells = dynamic_cast<BellsDialog*>(&dialog);
        if (bells == nullptr) {
            dialog.OnCancel();
            return;
        }
        chosen = ChooseBells(*bells, byBell) && (conductor.empty() || ChooseEntry(bells->conductorCombo, conductor));
        if (chosen) bells->SendCommand(platform::IDOK);
        closedWithOk = bells->HasEnded() && bells->Result() == platform::IDOK;
        if (bells->IsRunning()) bells->OnCancel();
    });
    window.bellsButton.Click();
    return chosen && closedWithOk;
}

bool RingAndWait(TowerWindow& striker, int bell, const std::vector<TowerWindow*>& everyone) {
    BellSlot* slot = SlotOfBell(striker, bell);
    if (slot == nullptr) {
        return false;
    }
    const int stroke = slot->stroke == 0 ? 1 : 0;
    (stroke == 1 ? slot->upperButton : slot->lowerButton)->Click();
    return platform::PumpUntil(
        [&] {
            return std::all_of(everyone.begin(), everyone.end(), [&](TowerWindow* window) {
                const BellSlot* shown = SlotOfBell(*window, bell);
                return shown != nullptr && shown->stroke == stroke;
            });
        },
        5000);
}

StrikeFields ReadStrike(const MessageBuffer& message) {
    const auto strike = wire::ReadStrike(message.Bytes()).value();
    return {strike.bell, strike.stroke, strike.sequence.value_or(0), strike.ping.value_or(0)};
}

}  // namespace testsupport
