// The chat line and area, the eight message buttons and the texts behind them.
#include "app/TowerWindow.h"
#include "lobby/ChatLog.h"
#include "lobby/MessagesDialog.h"

void TowerWindow::OnSend() {
    if (!session.SendChat(chatEntry.GetWindowText())) return;
    // Taking the focus off the chat line lets the next key ring a bell again.
    chatEntry.SetWindowText("");
    sendButton.SetFocus();
}

void TowerWindow::OnChatMessage(const wire::Chat& message) {
    session.OnChat(message);
    chatDisplay.SetWindowText(
        PrependChatLine(chatDisplay.GetWindowText(), std::string(message.name), std::string(message.line)));
}

void TowerWindow::UpdateMessageCaptions() {
    static constexpr char kLetters[] = "qwertyui";
    for (int k = 0; k < 8; ++k) {
        const std::string& text = messageTexts[k];
        messageButtons[k].SetWindowText(text.empty() ? "" : std::string("&") + kLetters[k] + " " + text);
    }
}

void TowerWindow::OnMessageButton(int k) {
    // The call shows when the server relays it back.
    session.SendCall(messageTexts[k - 1]);
}

void TowerWindow::OnMessages() {
    MessagesDialog dialog;
    dialog.window = this;
    if (dialog.DoModal() == platform::IDOK) UpdateMessageCaptions();
}
