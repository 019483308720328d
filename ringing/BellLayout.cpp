#include "ringing/BellLayout.h"

#include <algorithm>
#include <string_view>

#include "ringing/KeyTables.h"
#include "tower/RingerTable.h"

namespace {

// The key as the button's mnemonic, or "" when there is no key.
std::string KeyText(const std::string& key) { return key.empty() ? std::string() : "&" + key; }

}  // namespace

std::array<SlotPlan, kSlotCount> PlanBellLayout(int bellCount, const std::string& ownBells, int keyboardControl,
                                                int showNumbers) {
    // Bells above 12 have no symbol, key or sound; a faulty count shows 12.
    const int n = std::clamp(bellCount, 0, kSlotCount);
    const int first = (kSlotCount - n) / 2;

    const std::string_view own =
        ownBells.size() > static_cast<std::size_t>(kSlotCount) ? std::string_view() : std::string_view(ownBells);
    const int k = static_cast<int>(own.size());
    const std::string_view up = KeyRow(keyboardControl == 1 ? SingleKeys : UpperKeys, k);
    const std::string_view lo = KeyRow(keyboardControl == 1 ? SingleKeys : LowerKeys, k);

    std::array<SlotPlan, kSlotCount> plans;
    for (int i = 0; i < kSlotCount; ++i) {
        const int bell = i - first + 1;
        if (bell < 1 || bell > n) {
            continue;
        }
        SlotPlan& plan = plans[i];
        plan.visible = true;
        plan.bell = bell;
        plan.soundPosition = bell + kSlotCount - n;
        // Row k has exactly k keys, one per symbol of own.
        const std::size_t r = own.find(BellSymbols[bell - 1]);
        if (r != std::string_view::npos) {
            plan.upperKey = std::string(1, up[r]);
            plan.lowerKey = std::string(1, lo[r]);
        }
        plan.upperText = KeyText(plan.upperKey);
        plan.lowerText = NumberText(bell, showNumbers);
    }
    return plans;
}

void ApplyPlan(SlotState& slot, const SlotPlan& plan) {
    if (!plan.visible) {
        slot.bell = 0;
        return;
    }
    slot.bell = plan.bell;
    slot.soundPosition = plan.soundPosition;
    slot.stroke = 0;
    slot.upperKey = plan.upperKey;
    slot.lowerKey = plan.lowerKey;
}

std::string NumberText(int bell, int showNumbers) { return showNumbers == 1 ? std::to_string(bell) : std::string("X"); }

StrikeText StrikeTexts(const SlotState& slot, int newStroke, int showNumbers) {
    StrikeText text;
    text.upperIsNumber = newStroke != 0;
    if (text.upperIsNumber) {
        text.upperText = NumberText(slot.bell, showNumbers);
        text.lowerText = KeyText(slot.lowerKey);
    } else {
        text.upperText = KeyText(slot.upperKey);
        text.lowerText = NumberText(slot.bell, showNumbers);
    }
    return text;
}

void SetSlotRinger(SlotState& slot, const std::string& name, const std::string& bells) {
    if (slot.bell != 0 && RingsBell(bells, slot.bell)) {
        slot.ringerName = name;
    }
}
