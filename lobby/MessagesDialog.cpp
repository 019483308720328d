#include "lobby/MessagesDialog.h"

#include "app/TowerWindow.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"

MessagesDialog::MessagesDialog() : platform::Dialog(MessagesTemplate()) {}

void MessagesDialog::DoDataExchange() {
    for (int k = 0; k < 8; ++k) Bind(messageEdits[k], ids::kMessageEdits[k]);
}

bool MessagesDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    for (int k = 0; k < 8; ++k) messageEdits[k].SetWindowText(window->messageTexts[k]);
    return true;
}

void MessagesDialog::OnOK() {
    // Taken as typed: an emptied edit makes its button blank.
    for (int k = 0; k < 8; ++k) window->messageTexts[k] = messageEdits[k].GetWindowText();
    platform::Dialog::OnOK();
}
