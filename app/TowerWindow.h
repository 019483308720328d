// The main window and the owner of all the state of a run: the controls of the
// tower view, the ringer table and bell count, the connection and its buffers,
// the bell slots and sounds, the user's settings and the strike timing.
// Its methods live in the folder of the subsystem they serve.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

#include "net/MessageBuffer.h"
#include "net/Messages.h"
#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Font.h"
#include "platform/Socket.h"
#include "platform/sound/SoundDevice.h"
#include "ringing/BellLayout.h"
#include "tower/RingerTable.h"

// One bell column: its two buttons and what it shows and sounds.
struct BellSlot : SlotState {
    platform::Button* upperButton = nullptr;
    platform::Button* lowerButton = nullptr;
};

// Sound label ("1" to "12", "6b") to open sound device.
using BellSoundBank = std::map<std::string, platform::SoundDeviceId, NameLess>;

inline constexpr int TIMER_CONNECT = 0;
inline constexpr int TIMER_CALL = 1;
inline constexpr unsigned WM_SOCKET_NOTIFY = 0x5443;

class TowerWindow : public platform::Dialog {
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

    // Tower list and joining (lobby/).
    void OnTowerListEntry(const wire::TowerListEntry& message);
    void RunJoinDialog();
    void OnServerNotice(const wire::ServerNotice& message);

    // Ringers present (lobby/).
    void OnRingerInfo(const wire::RingerInfo& message);
    void OnRingerLeft(const wire::RingerLeft& message);
    void OnTowerEntered(const wire::TowerEntered& message);
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
    void OnBellButton(int position, bool upperRow);
    void OnStrikeMessage(const wire::Strike& message);
    static std::int32_t NowMs();
    platform::SoundDeviceId OpenBellSound(const std::string& fileName);
    void AssignSoundLabels();
    void PlayBellSound(BellSlot& slot);
    void RecordPing(const std::string& ringerName, std::int16_t value);
    void OnSettings();
    void OnActivate(bool active) override;
    void OnCallMessage(const wire::Call& message);

    // Members, in the order the window declares them.
    platform::Button sendButton;
    platform::Button settingsButton;
    platform::StaticText chatDisplay;
    platform::Edit chatEntry;
    std::array<platform::Button, 12> upperBellButtons;  // by slot index
    std::array<platform::Button, 12> lowerBellButtons;
    platform::Button bellsButton;
    platform::StaticText statusLine;
    platform::Button messagesButton;
    std::array<platform::Button, 8> messageButtonControls;  // message buttons 1 to 8
    platform::ListView ringerListView;
    RingerTable ringers;  // the people in the tower, with lastItemId
    std::uint16_t bellCount = 0;
    std::array<std::string, 8> messageTexts;
    std::int32_t keyboardControl = 0;
    std::int32_t mouseControl = 0;
    std::int32_t bellWeight = 1;
    std::int32_t showNumbers = 1;
    std::map<std::string, std::string, NameLess> towerList;
    std::string ownName;
    std::string serverHost;
    std::uint16_t serverPort = wire::kServerPort;  // every server listens here; tests use their own
    platform::SOCKET connSocket = platform::INVALID_SOCKET;
    MessageBuffer receiveBuffer;
    MessageBuffer sendQueue;
    std::array<platform::Button*, 8> messageButtons{};
    std::array<BellSlot, 12> slots;
    platform::Font bigFont;
    BellSoundBank sounds;
    std::string currentTower;
    std::uint16_t strikeSeq = 0;
    std::int32_t strikeSentAt = 0;
    std::int32_t lastPing = 0;
};
