#include "app/TowerWindow.h"

#include "app/ServerChoice.h"
#include "app/ServerNames.h"
#include "platform/Process.h"
#include "resources/BellIcon.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"

TowerWindow::TowerWindow() : platform::Dialog(TowerWindowTemplate()) {
    // The message map: each control's click to its handler.
    MapCommand(ids::IDC_MESSAGES, [this] { OnMessages(); });
    MapCommand(ids::IDC_BELLS, [this] { OnBellsButton(); });
    for (int i = 0; i < 12; ++i) {
        MapCommand(ids::kLowerBellButtons[i], [this, i] { OnBellButton(i + 1, false); });
        MapCommand(ids::kUpperBellButtons[i], [this, i] { OnBellButton(i + 1, true); });
    }
    for (int k = 1; k <= 8; ++k) MapCommand(ids::kMessageButtons[k - 1], [this, k] { OnMessageButton(k); });
    MapCommand(ids::IDC_SETTINGS, [this] { OnSettings(); });
    MapCommand(ids::IDC_SEND, [this] { OnSend(); });
    MapCommand(ids::IDC_REVIEW, [this] { OnReview(); });
    session.AddListener(recorder);
}

TowerWindow::~TowerWindow() {
    session.RemoveListener(recorder);
    // The end of the run ends the connection, as the end of the process does.
    if (connSocket != platform::INVALID_SOCKET) platform::CloseSocket(connSocket);
}

void TowerWindow::DoDataExchange() {
    Bind(sendButton, ids::IDC_SEND);
    Bind(settingsButton, ids::IDC_SETTINGS);
    Bind(chatDisplay, ids::IDC_CHAT_DISPLAY);
    Bind(chatEntry, ids::IDC_CHAT_ENTRY);
    for (int i = 0; i < 12; ++i) {
        Bind(upperBellButtons[i], ids::kUpperBellButtons[i]);
        Bind(lowerBellButtons[i], ids::kLowerBellButtons[i]);
    }
    Bind(bellsButton, ids::IDC_BELLS);
    Bind(statusLine, ids::IDC_STATUS_LINE);
    Bind(messagesButton, ids::IDC_MESSAGES);
    for (int k = 0; k < 8; ++k) Bind(messageButtons[k], ids::kMessageButtons[k]);
    Bind(ringerListView, ids::IDC_RINGER_LIST);
    Bind(reviewButton, ids::IDC_REVIEW);
}

bool TowerWindow::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    SetIcons(BellIcon());

    const ServerNames names{TOLMER_MAIN_SERVER, TOLMER_TEST_SERVER, TOLMER_PRIVATE_SERVER};
    const ServerChoice choice =
        ChooseServer(ReadServerRequest(platform::GetCommandLine(), names), names.main, ThisUsersServerSettings());
    // A server that cannot be used is reported when connecting, as a
    // connection that fails is.
    if (choice.address) {
        serverHost = choice.address->host;
        serverPort = choice.address->port;
    }
    serverProblem = choice.problem;
    SetTimer(TIMER_CONNECT, 1);

    ringerListView.InsertColumn(0, "Name", 225);
    ringerListView.InsertColumn(1, "Bells", 160);
    ringerListView.InsertColumn(2, "Ping (ms) - Min (offset), Ave, RMS, Max (offset) - last 100", 285);

    messageTexts = {"Here's treble", "Go", "That's All", "Stand", "Bob", "Single", "", ""};
    // Every column starts free, its buttons hidden; the session's slots and
    // settings start from their first values.
    for (int i = 0; i < kSlotCount; ++i) {
        lowerBellButtons[i].ShowWindow(false);
        upperBellButtons[i].ShowWindow(false);
    }
    bigFont.CreateFont(40, 400, "Arial");
    UpdateMessageCaptions();

    for (int n = 1; n <= 12; ++n) sounds[std::to_string(n)] = OpenBellSound("bell" + std::to_string(n) + ".wav");
    sounds["6b"] = OpenBellSound("bell6b.wav");

    platform::RaiseProcessPriority();
    return true;
}

void TowerWindow::OnTimer(int id) {
    if (id == TIMER_CONNECT) {
        KillTimer(TIMER_CONNECT);
        ConnectToServer();
    } else if (id == TIMER_CALL) {
        KillTimer(TIMER_CALL);
        statusLine.SetWindowText("");
    }
}
