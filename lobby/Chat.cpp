#include "app/TowerWindow.h"

void TowerWindow::OnSend() {}
void TowerWindow::OnChatMessage(const MessageBuffer&) {}

void TowerWindow::UpdateMessageCaptions() {
    static constexpr char kLetters[] = "qwertyui";
    for (int k = 0; k < 8; ++k) {
        const std::string& text = messageTexts[k];
        messageButtons[k]->SetWindowText(text.empty() ? "" : std::string("&") + kLetters[k] + " " + text);
    }
}

void TowerWindow::OnMessageButton(int) {}
void TowerWindow::OnMessages() {}
