// The status line: the prompt to click the window back into focus, and the
// conductor's calls in large letters for five seconds.
#include "app/TowerWindow.h"

namespace {
constexpr int kCallShownMs = 5000;
}

void TowerWindow::OnActivate(bool active) {
    if (!active) {
        statusLine.SetWindowText("Click here to resume ringing.");
        statusLine.SetFont(bigFont);
    } else {
        statusLine.SetWindowText("");
    }
}

void TowerWindow::OnCallMessage(const wire::Call& message) {
    session.OnCall(message);
    statusLine.SetWindowText(std::string(message.text));
    statusLine.SetFont(bigFont);
    // Every call starts the five seconds afresh; OnTimer empties the line.
    SetTimer(TIMER_CALL, kCallShownMs);
}
