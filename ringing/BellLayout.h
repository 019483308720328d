// Which bell stands in which of the twelve columns, which keys ring the
// user's bells, and what the two buttons of a column show. Slot 0 is the
// rightmost column; the window owns the buttons and applies these plans.
#pragma once

#include <array>
#include <concepts>
#include <ranges>
#include <string>

inline constexpr int kSlotCount = 12;

// The state of one column besides its two buttons.
struct SlotState {
    int bell = 0;           // 1 to bellCount; 0 while the column is free
    int soundPosition = 0;  // bell + 12 - bellCount: the tenor always has 12
    std::string soundLabel;
    std::string upperKey;  // 0 or 1 character; empty unless the bell is the user's
    std::string lowerKey;
    int stroke = 0;          // 0: number on the lower button; 1: on the upper one
    std::string ringerName;  // last ringer announced for this bell; never cleared
};

using SlotStates = std::array<SlotState, kSlotCount>;

// The twelve columns as the window holds them: any range of SlotState or of
// a type derived from it (the window's slots add their buttons).
template <typename Slots>
concept SlotRange = std::ranges::range<Slots> && std::derived_from<std::ranges::range_value_t<Slots>, SlotState>;

// What a relayout does to one column. A hidden column shows "" on both
// buttons and only its bell becomes 0; it keeps its old keys, sound label and
// stroke, so its key fields here are empty and not to be applied.
struct SlotPlan {
    bool visible = false;
    int bell = 0;
    int soundPosition = 0;
    std::string upperKey;
    std::string lowerKey;
    std::string upperText;  // "&" + upperKey (the key as mnemonic), or ""
    std::string lowerText;  // the number text, shown in the big font
};

// bellCount above 12 is laid out as 12. keyboardControl: 0 two keys per
// bell, 1 one key. showNumbers: 0 shows "X", 1 the bell number. An own bell
// string longer than 12 symbols has no key row and rings nothing.
std::array<SlotPlan, kSlotCount> PlanBellLayout(int bellCount, const std::string& ownBells, int keyboardControl,
                                                int showNumbers);

// Copies a plan into a column: a hidden one gets bell 0 and nothing else; a
// shown one gets its bell, sound position, keys and stroke 0.
void ApplyPlan(SlotState& slot, const SlotPlan& plan);

// The bell's number as shown: "%d" with showNumbers 1, "X" otherwise.
std::string NumberText(int bell, int showNumbers);

// Button texts after a strike moved the number to the given stroke: the
// struck button shows the number (big font), the other the key to ring next.
struct StrikeText {
    std::string upperText;
    std::string lowerText;
    bool upperIsNumber = false;
};
StrikeText StrikeTexts(const SlotState& slot, int newStroke, int showNumbers);

// Writes name into every column in use whose bell the bell string holds;
// free columns and the others keep their names.
void SetSlotRinger(SlotState& slot, const std::string& name, const std::string& bells);

template <SlotRange Slots>
void SetSlotRinger(Slots& columns, const std::string& name, const std::string& bells) {
    for (SlotState& slot : columns) {
        SetSlotRinger(slot, name, bells);
    }
}
