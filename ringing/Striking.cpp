#include <algorithm>
#include <chrono>

#include "app/TowerWindow.h"

// A click asks the server to strike; the bell moves only when the server's
// copy of the strike comes back (OnStrikeMessage), on every client alike.
void TowerWindow::OnBellButton(int position, bool upperRow) {
    const BellSlot& slot = slots[position - 1];
    if (slot.bell == 0 || slot.lowerKey.empty()) {
        return;  // a free column or another ringer's bell
    }
    const int row = upperRow ? 1 : 0;
    if (row == slot.stroke && mouseControl == 0) {
        return;  // the button showing the number is not the one to ring next
    }

    ++strikeSeq;
    wire::Strike strike;
    strike.bell = static_cast<std::uint16_t>(slot.bell);
    strike.stroke = slot.stroke == 0 ? 1 : 0;
    strike.sequence = strikeSeq;
    strike.ping = static_cast<std::uint16_t>(lastPing & 0xFFFF);

    lastPing = 0;
    strikeSentAt = NowMs();
    QueueMessage(wire::Build(strike));
}

void TowerWindow::OnStrikeMessage(const wire::Strike& message) {
    const int bell = message.bell;
    const int stroke = message.stroke != 0 ? 1 : 0;
    if (bell == 0) {
        return;
    }
    const auto found = std::find_if(slots.begin(), slots.end(), [bell](const BellSlot& s) { return s.bell == bell; });
    if (found == slots.end()) {
        return;  // not laid out here
    }
    BellSlot& slot = *found;
    if (stroke == slot.stroke) {
        return;  // a repeat of a strike already shown
    }

    slot.stroke = stroke;
    const StrikeText text = StrikeTexts(slot, stroke, showNumbers);
    slot.upperButton->SetWindowText(text.upperText);
    slot.lowerButton->SetWindowText(text.lowerText);
    slot.upperButton->SetFont(text.upperIsNumber ? bigFont : DialogFont());
    slot.lowerButton->SetFont(text.upperIsNumber ? DialogFont() : bigFont);

    // Only the echo of the user's latest strike is timed.
    const std::string& nextKey = stroke == 1 ? slot.lowerKey : slot.upperKey;
    if (!nextKey.empty() && message.sequence == strikeSeq) {
        const std::int32_t elapsed = NowMs() - strikeSentAt;
        if (elapsed == 0) {
            lastPing = 1;  // 0 would report "nothing measured"
        } else if (elapsed > 0 && elapsed < 32767) {
            lastPing = elapsed;  // a negative one crossed midnight UTC
        }
    }

    PlayBellSound(slot);

    if (message.ping) {
        RecordPing(slot.ringerName, static_cast<std::int16_t>(*message.ping));
    }
}

std::int32_t TowerWindow::NowMs() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);
    return static_cast<std::int32_t>(duration_cast<milliseconds>(sinceMidnight).count());
}
