// Where the bells stand and how strikes move them, as the session follows
// them: the layout, the user's clicks, strikes sent and relayed, the timing of
// the user's own strikes and the pings that strikes report.
#include <algorithm>

#include "ringing/SoundLabels.h"
#include "tower/TowerSession.h"

const LayoutPlan& TowerSession::LayOutBells() {
    // While someone else conducts, the allocation and the calls are theirs.
    layout_.conductorControls = ringers.AllocationControlsVisible(ownName);
    const std::string& own = ringers.RingerFor(ownName).bells;
    layout_.slots = PlanBellLayout(bellCount, own, settings.keyboardControl, settings.showNumbers);
    for (int i = 0; i < kSlotCount; ++i) ApplyPlan(slots[i], layout_.slots[i]);
    AssignSoundLabels(slots, bellCount, settings.bellWeight);
    return layout_;
}

bool TowerSession::ClickBell(int position, bool upperRow) {
    const SlotState& slot = slots[position - 1];
    // A free column or another ringer's bell.
    if (slot.bell == 0 || slot.lowerKey.empty()) return false;
    // The button showing the number is not the one to ring next, unless
    // either button rings.
    const int row = upperRow ? 1 : 0;
    if (row == slot.stroke && settings.mouseControl == 0) return false;
    // Nothing moves until the server's copy comes back.
    SendStrike(slot.bell, slot.stroke == 0 ? 1 : 0, StrikeOrigin::UserClick);
    return true;
}

void TowerSession::SendStrike(int bell, int stroke, StrikeOrigin origin) {
    wire::Strike strike;
    strike.bell = static_cast<std::uint16_t>(bell);
    strike.stroke = stroke != 0 ? 1 : 0;
    if (origin == StrikeOrigin::UserClick) {
        ++strikeSeq;
        strike.sequence = strikeSeq;
        strike.ping = static_cast<std::uint16_t>(lastPing & 0xFFFF);
        lastPing = 0;
        strikeSentAt = timeOfDayMs();
    } else {
        // The number just before the user's latest, which the echo timing
        // has passed: it would take 65,535 more clicks before this echo for
        // it to match. No ping: the measurement is the user's.
        strike.sequence = static_cast<std::uint16_t>(strikeSeq - 1);
        strike.ping = 0;
    }
    // 14 bytes: built and queued without an allocation.
    sink_.Queue(wire::Build(strike));
}

StrikeChange TowerSession::OnStrike(const wire::Strike& message, std::chrono::steady_clock::time_point arrivedAt) {
    StrikeChange change;
    const int bell = message.bell;
    const int stroke = message.stroke != 0 ? 1 : 0;
    if (bell == 0) return change;
    const auto found = std::find_if(slots.begin(), slots.end(), [bell](const SlotState& s) { return s.bell == bell; });
    if (found == slots.end()) return change;  // not laid out here
    SlotState& slot = *found;
    if (stroke == slot.stroke) return change;  // a repeat of a strike already shown

    slot.stroke = stroke;
    change.slot = static_cast<int>(found - slots.begin());
    change.stroke = stroke;

    // Only the echo of the user's latest strike is timed.
    const std::string& nextKey = stroke == 1 ? slot.lowerKey : slot.upperKey;
    if (!nextKey.empty() && message.sequence == strikeSeq) {
        const std::int32_t elapsed = timeOfDayMs() - strikeSentAt;
        if (elapsed == 0) {
            lastPing = 1;  // 0 would report "nothing measured"
        } else if (elapsed > 0 && elapsed < 32767) {
            lastPing = elapsed;  // a negative one crossed midnight UTC
        }
    }

    if (message.ping) change.pinged = RecordPing(slot.ringerName, static_cast<std::int16_t>(*message.ping));

    const HeardStrike heard{bell, stroke, slot.ringerName, arrivedAt};
    for (TowerListener* listener : listeners_) listener->OnStrike(heard);
    return change;
}

const Ringer* TowerSession::RecordPing(const std::string& ringerName, std::int16_t value) {
    // 0: the striker's client measured nothing since its previous strike.
    if (value == 0 || ringerName.empty()) return nullptr;
    Ringer* ringer = ringers.FindRinger(ringerName);
    if (ringer == nullptr) return nullptr;  // the bell's last ringer has left
    ringer->pings.Record(value);
    return ringer;
}

std::int32_t TowerSession::NowMs() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);
    return static_cast<std::int32_t>(duration_cast<milliseconds>(sinceMidnight).count());
}
