// The dialog base: a window built from a template, run modally (events keep
// flowing while it is open) or shown for a test, with its message map, timers,
// activation and the dialog keyboard handling:
//   - a bare character key clicks the visible, enabled push button whose
//     caption has that character after "&", unless the focus takes text;
//   - Escape and the close box are Cancel; Enter clicks the focused push
//     button, else the default one.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "platform/Controls.h"
#include "platform/DialogTemplate.h"
#include "platform/Font.h"
#include "platform/IconResource.h"
#include "platform/NativeHandle.h"

namespace platform {

class Dialog {
public:
    explicit Dialog(const DialogTemplate& dialogTemplate);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Builds and shows the window and runs it until EndDialog; returns the result.
    int DoModal();
    // Builds and shows the window without a loop of its own (tests pump events).
    bool Create();
    void EndDialog(int result);
    bool IsRunning() const { return created_ && !ended_; }
    bool HasEnded() const { return ended_; }
    int Result() const { return result_; }

    virtual bool OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnTimer(int id) { (void)id; }
    virtual void OnActivate(bool active) { (void)active; }

    // Window timers by id; a timer repeats until killed.
    void SetTimer(int id, int milliseconds);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;
    // Milliseconds until the timer fires next; -1 when it is not running.
    int TimerRemainingMs(int id) const;

    void Bind(Control& member, int id);  // a control member to its control
    Control* GetDlgItem(int id);
    // Sends the command of a control, as its click does.
    void SendCommand(int id);

    // The backend's window, or null before Create and after the run.
    WindowHandle Handle() const;
    // The backend's control with this id, or null.
    WindowHandle ControlHandle(int id) const;
    const DialogTemplate& Template() const { return template_; }
    const Font& DialogFont() const { return dialogFont_; }
    // The window's big and small icons.
    void SetIcons(const IconResource& icon);
    Rect DialogUnitsToPixels(int x, int y, int cx, int cy) const;

    // Tests: called with every dialog as its modal run starts.
    static void SetModalHook(std::function<void(Dialog&)> hook);

protected:
    // The message map: the handler of a control's click (or command).
    void MapCommand(int id, std::function<void()> handler);
    // The handler of a double-click on a list view.
    void MapDoubleClick(int id, std::function<void()> handler);

private:
    // The backend's way in: its window procedure calls the handlers below.
    friend struct DialogAccess;
    struct Native;

    void HandleCommand(int id);
    void HandleDoubleClick(int id);
    static const std::function<void(Dialog&)>& ModalHook();

    DialogTemplate template_;
    Font dialogFont_;
    std::map<int, std::unique_ptr<Control>> items_;
    std::map<int, std::function<void()>> commands_;
    std::map<int, std::function<void()>> doubleClicks_;
    bool created_ = false;
    bool ended_ = false;
    int result_ = 0;
    std::unique_ptr<Native> native_;
};

}  // namespace platform
