// The part of the dialog layer that every backend shares: the message map,
// control binding and the test hook. The windows themselves are the backend's.
#include "platform/Dialog.h"

namespace platform {

namespace {
std::function<void(Dialog&)>& ModalHookSlot() {
    static std::function<void(Dialog&)> hook;
    return hook;
}
}  // namespace

void Control::Attach(Dialog* dialog, int id) {
    dialog_ = dialog;
    id_ = id;
}

WindowHandle Control::Handle() const { return dialog_ ? dialog_->ControlHandle(id_) : nullptr; }

void Dialog::SetModalHook(std::function<void(Dialog&)> hook) { ModalHookSlot() = std::move(hook); }

const std::function<void(Dialog&)>& Dialog::ModalHook() { return ModalHookSlot(); }

bool Dialog::OnInitDialog() {
    DoDataExchange();
    return true;
}

void Dialog::Bind(Control& member, int id) { member.Attach(this, id); }

Control* Dialog::GetDlgItem(int id) {
    auto it = items_.find(id);
    if (it != items_.end()) return it->second.get();
    if (ControlHandle(id) == nullptr) return nullptr;
    auto control = std::make_unique<Control>();
    control->Attach(this, id);
    return items_.emplace(id, std::move(control)).first->second.get();
}

void Dialog::SendCommand(int id) { HandleCommand(id); }

void Dialog::MapCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }

void Dialog::MapDoubleClick(int id, std::function<void()> handler) { doubleClicks_[id] = std::move(handler); }

void Dialog::HandleCommand(int id) {
    auto it = commands_.find(id);
    if (it != commands_.end()) {
        // The handler may end the dialog or open another: keep it alive while it runs.
        const std::function<void()> handler = it->second;
        handler();
    } else if (id == IDOK) {
        OnOK();
    } else if (id == IDCANCEL) {
        OnCancel();
    }
}

void Dialog::HandleDoubleClick(int id) {
    auto it = doubleClicks_.find(id);
    if (it != doubleClicks_.end()) {
        const std::function<void()> handler = it->second;
        handler();
    }
}

}  // namespace platform
