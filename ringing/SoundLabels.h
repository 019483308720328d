// Which of the thirteen bell sounds each bell of the tower plays, chosen by
// the number of bells and the bell weight (0 Light, 1 Medium, 2 Heavy).
// Labels run from "1", the lightest sound, to "12", the heaviest; "6b" is a
// variant of "6" used by the lighter sets.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "ringing/BellLayout.h"

// Two-character cells, a label padded with a space, tenor first: twelve,
// nine, six medium, six light, five medium, five light.
extern const std::array<std::string_view, 6> SoundLabelSets;

// The label for the bell at soundPosition (bell + 12 - bellCount); "" when
// the tower has no bells or the position lies outside the chosen set.
std::string SoundLabelFor(int bellCount, int bellWeight, int soundPosition);

// Gives a column in use its label and a free column "". With no bells
// (bellCount 0 or less) nothing changes.
void AssignSoundLabel(SlotState& slot, int bellCount, int bellWeight);

template <SlotRange Slots>
void AssignSoundLabels(Slots& columns, int bellCount, int bellWeight) {
    for (SlotState& slot : columns) {
        AssignSoundLabel(slot, bellCount, bellWeight);
    }
}
