// A tower as one client follows it, with no window and no socket: the towers
// the server lists, who is in the tower and what each rings, the bell count
// and who conducts, which bell stands in which column, the timing of the
// user's own strikes and every ringer's round-trip statistics.
//
// The session is fed the server's decoded messages and the user's intents
// (strike a bell, allocate, chat, call). It sends what an intent calls for
// through the sink it is given and reports what changed, for a window to show
// (the client's TowerWindow) or for a program without one to act on (a robot
// ringer, a recorder of striking). Listeners hear every strike that moves a
// bell, every call and every chat line.
//
// Everything runs on the caller's thread; nothing here blocks. A strike in
// either direction allocates nothing.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "net/MessageBuffer.h"
#include "net/Messages.h"
#include "ringing/BellLayout.h"
#include "tower/Allocation.h"
#include "tower/RingerTable.h"

// Where a session's messages go: the window's send queue, or a connection of
// a program without a window. The session never owns a socket.
class OutgoingSink {
public:
    virtual void Queue(const MessageBuffer& message) = 0;

protected:
    ~OutgoingSink() = default;
};

// A strike the server relayed that moved a bell.
struct HeardStrike {
    int bell = 0;
    int stroke = 0;
    std::string_view ringer;  // who rang the bell then; "" when nobody was announced
    std::chrono::steady_clock::time_point arrivedAt;
};

// Hears what happens in the tower. Texts and names are valid during the call.
class TowerListener {
public:
    virtual void OnStrike(const HeardStrike& strike) { (void)strike; }
    virtual void OnCall(std::string_view text) { (void)text; }
    virtual void OnChat(std::string_view name, std::string_view line) { (void)name, (void)line; }

protected:
    ~TowerListener() = default;
};

// The user's four choices in the Controls dialog, each the index of its item.
struct Settings {
    std::int32_t keyboardControl = 0;  // 0 two keys per bell, 1 one key
    std::int32_t mouseControl = 0;     // 0 click the blank button, 1 either button
    std::int32_t bellWeight = 1;       // 0 Light, 1 Medium, 2 Heavy
    std::int32_t showNumbers = 1;      // 0 "X", 1 the bell numbers
};

// The bell buttons as a relayout leaves them.
struct LayoutPlan {
    bool conductorControls = true;  // Bells, Messages and the message buttons shown
    std::array<SlotPlan, kSlotCount> slots;
};

// What a RingerInfo or a RingerLeft changed in the ringers list.
struct RingerChange {
    enum class Row { None, Added, Updated, Removed };
    Row row = Row::None;
    const Ringer* ringer = nullptr;  // Added and Updated: the record, until the table changes again
    std::int32_t itemId = 0;         // the row's item id
    bool laidOut = false;            // the bells were laid out again: see Layout()
    bool sortRows = false;
};

// What a relayed strike changed.
struct StrikeChange {
    int slot = -1;                   // the column whose bell moved; -1 when none did
    int stroke = 0;                  // where its number now stands
    const Ringer* pinged = nullptr;  // the ringer whose statistics took the reported ping
};

enum class StrikeOrigin {
    UserClick,  // the user's own click or key: timed by its echo
    Other,      // anything else: leaves the user's measurement alone
};

class TowerSession {
public:
    explicit TowerSession(OutgoingSink& sink);

    // Joining (lobby/SessionPresence.cpp).
    // The connection stands: asks for the tower list, which starts empty.
    void OnConnected();
    // True when the list holds as many towers as the server announced.
    bool OnTowerListEntry(const wire::TowerListEntry& message);
    // The user's choice: ownName becomes userName.
    void StartTower(const std::string& tower, const std::string& description, const std::string& userName);
    void JoinTower(const std::string& tower, const std::string& userName);
    void OnTowerEntered(const wire::TowerEntered& message);
    bool InTower() const { return !currentTower.empty(); }

    // Ringers present (lobby/SessionPresence.cpp).
    RingerChange OnRingerInfo(const wire::RingerInfo& message);
    RingerChange OnRingerLeft(const wire::RingerLeft& message);

    // Chat and calls (lobby/SessionPresence.cpp). Send* return false when
    // nothing went out: an empty text, or a call by someone not conducting.
    bool SendChat(const std::string& line);
    bool SendCall(const std::string& text);
    void OnChat(const wire::Chat& message);
    void OnCall(const wire::Call& message);

    // Layout and striking (ringing/SessionRinging.cpp).
    // Lays the bells out from the bell count, the table and the settings.
    const LayoutPlan& LayOutBells();
    const LayoutPlan& Layout() const { return layout_; }
    // The user's click on a bell button: position 1 to 12 is the slot index
    // plus one. True when a strike went out.
    bool ClickBell(int position, bool upperRow);
    // Asks the server to move the bell (1 to 12) to the stroke. Only the
    // user's click is timed; any other strike reports no ping and carries a
    // sequence number that the user's echo timing does not match.
    void SendStrike(int bell, int stroke, StrikeOrigin origin = StrikeOrigin::Other);
    StrikeChange OnStrike(const wire::Strike& message,
                          std::chrono::steady_clock::time_point arrivedAt = std::chrono::steady_clock::now());

    // Allocation (tower/TowerSession.cpp).
    // Whoever opens the Bells dialog conducts from then on: tells the server
    // when the user did not conduct yet.
    void AppointSelf();
    // Writes a valid allocation into the table and the bell count.
    void ApplyAllocation(const AllocationResult& allocation, const std::string& conductorName);
    // One RingerInfo per ringer, in name order.
    void SendAllocation();

    // Listeners are not owned: remove one before it goes. Neither adds nor
    // removes one from inside a listener's call.
    void AddListener(TowerListener& listener);
    void RemoveListener(TowerListener& listener);

    // The state: shown by the windows; the settings and the allocation are
    // written by their dialogs through the members and calls above.
    std::map<std::string, std::string, NameLess> towerList;  // name to description
    std::string ownName;
    std::string currentTower;  // empty until the server admits the user
    RingerTable ringers;
    std::uint16_t bellCount = 0;
    Settings settings;
    SlotStates slots;
    std::uint16_t strikeSeq = 0;    // sequence number of the user's latest strike
    std::int32_t strikeSentAt = 0;  // its time of day in ms
    std::int32_t lastPing = 0;      // ms of the user's latest echo; 0 when none since the last strike
    // Milliseconds since midnight UTC; tests replace it.
    std::function<std::int32_t()> timeOfDayMs = NowMs;

    static std::int32_t NowMs();

private:
    const Ringer* RecordPing(const std::string& ringerName, std::int16_t value);

    OutgoingSink& sink_;
    LayoutPlan layout_;
    std::vector<TowerListener*> listeners_;
};
