// The main window: the controls of the tower view, the connection and its
// buffers, the bell sounds and the message texts. The state of the tower is
// its TowerSession; the window feeds it the server's messages and the user's
// clicks, and shows what it reports. The window's methods live in the folder
// of the subsystem they serve.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "app/ReportQueue.h"
#include "net/MessageBuffer.h"
#include "net/Messages.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Font.h"
#include "platform/Socket.h"
#include "platform/sound/SoundDevice.h"
#include "review/StrikeRecorder.h"
#include "tower/TowerSession.h"

// Sound label ("1" to "12", "6b") to open sound device.
using BellSoundBank = std::map<std::string, platform::SoundDeviceId, NameLess>;

inline constexpr int TIMER_CONNECT = 0;
inline constexpr int TIMER_CALL = 1;
inline constexpr unsigned WM_SOCKET_NOTIFY = 0x5443;

class TowerWindow : public platform::Dialog, private OutgoingSink {
public:
    TowerWindow();
    ~TowerWindow() override;

    // Start-up and lifecycle (app/).
    bool OnInitDialog() override;
    void DoDataExchange() override;
    void OnTimer(int id) override;

    // Connection, framing and dispatch (net/).
    void ConnectToServer();
    void OnConnected();
    void QueueMessage(const MessageBuffer& message);
    void FlushSendQueue();
    void OnSocketEvent(platform::SOCKET socket, int event, int error);
    void OnReceive();
    void HandleMessage();
    void OnConnectionLost();
    // A box about the server's messages, one at a time (see ReportQueue).
    void Report(const std::string& text, bool offerTowers = false);

    // Tower list and joining (lobby/).
    void OnTowerListEntry(const wire::TowerListEntry& message);
    void RunJoinDialog();
    void OnServerNotice(const wire::ServerNotice& message);

    // Ringers present (lobby/).
    void OnRingerInfo(const wire::RingerInfo& message);
    void OnRingerLeft(const wire::RingerLeft& message);
    void OnTowerEntered(const wire::TowerEntered& message);
    void ShowRingerChange(const RingerChange& change);
    int FindRingerRow(std::int32_t itemId);
    static int CompareRingerRows(std::intptr_t data1, std::intptr_t data2, std::intptr_t list);

    // Chat and message buttons (lobby/).
    void OnSend();
    void OnChatMessage(const wire::Chat& message);
    void UpdateMessageCaptions();
    void OnMessageButton(int k);
    void OnMessages();

    // Bells dialog and allocation (tower/).
    void OnBellsButton();

    // Ringing (ringing/).
    void LayOutBells();
    void ShowLayout(const LayoutPlan& layout);
    void OnBellButton(int position, bool upperRow);
    void OnStrikeMessage(const wire::Strike& message);
    platform::SoundDeviceId OpenBellSound(const std::string& fileName);
    void PlayBellSound(const SlotState& slot);
    void ShowPing(const Ringer& ringer);
    void OnSettings();
    void OnActivate(bool active) override;
    void OnCallMessage(const wire::Call& message);

    // Striking review (review/).
    void OnReview();

    // Controls, in the order of the template's tab stops.
    platform::Button sendButton;
    platform::Button settingsButton;
    platform::StaticText chatDisplay;
    platform::Edit chatEntry;
    std::array<platform::Button, 12> upperBellButtons;  // by slot index
    std::array<platform::Button, 12> lowerBellButtons;
    platform::Button bellsButton;
    platform::StaticText statusLine;
    platform::Button messagesButton;
    std::array<platform::Button, 8> messageButtons;  // message buttons 1 to 8
    platform::ListView ringerListView;
    platform::Button reviewButton;

    TowerSession session{*this};
    StrikeRecorder recorder;  // hears the session's strikes while the window lives
    std::array<std::string, 8> messageTexts;
    std::string serverHost;
    std::uint16_t serverPort = wire::kServerPort;
    std::string serverProblem;  // why no server could be chosen (see ChooseServer); empty when one was
    platform::SOCKET connSocket = platform::INVALID_SOCKET;
    MessageBuffer receiveBuffer;
    MessageBuffer sendQueue;
    platform::Font bigFont;
    BellSoundBank sounds;
    ReportQueue reports;
    bool choosingTower = false;  // a Start/Join dialog is open

private:
    // The session's messages leave through the send queue.
    void Queue(const MessageBuffer& message) override { QueueMessage(message); }
};
