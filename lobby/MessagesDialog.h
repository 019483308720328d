// "Set Messages": edits the texts of the main window's eight message buttons.
#pragma once

#include <array>

#include "platform/Controls.h"
#include "platform/Dialog.h"

class TowerWindow;

class MessagesDialog : public platform::Dialog {
public:
    MessagesDialog();

    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override;

    std::array<platform::Edit, 8> messageEdits;  // the edit of message k is messageEdits[k - 1]
    TowerWindow* window = nullptr;               // set by the caller before the dialog runs
};
