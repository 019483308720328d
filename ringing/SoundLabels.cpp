#include "ringing/SoundLabels.h"

const std::array<std::string_view, 6> SoundLabelSets = {
    "1211109 8 7 6 5 4 3 2 1 ", "9 8 7 6b5 4 3 2 1 ", "9 8 7 6b5 4 ", "8 7 6 5 4 3 ", "8 7 6 5 4 ", "5 4 3 2 1 ",
};

namespace {

enum SetIndex { kTwelve, kNine, kSixMedium, kSixLight, kFiveMedium, kFiveLight };

constexpr int kHeavy = 2;
constexpr int kMedium = 1;

std::string_view ChooseSet(int bellCount, int bellWeight) {
    // Heavy and every tower of ten or more take the heaviest sounds; Light
    // and Medium differ only up to six bells.
    if (bellCount >= 10 || bellWeight == kHeavy) {
        return SoundLabelSets[kTwelve];
    }
    if (bellCount >= 7) {
        return SoundLabelSets[kNine];
    }
    if (bellCount == 6) {
        return SoundLabelSets[bellWeight == kMedium ? kSixMedium : kSixLight];
    }
    return SoundLabelSets[bellWeight == kMedium ? kFiveMedium : kFiveLight];
}

}  // namespace

std::string SoundLabelFor(int bellCount, int bellWeight, int soundPosition) {
    if (bellCount <= 0) {
        return {};
    }
    const std::string_view set = ChooseSet(bellCount, bellWeight);
    // The tenor (position 12) takes cell 0, the next lighter bell cell 1.
    const int cell = kSlotCount - soundPosition;
    if (cell < 0 || static_cast<std::size_t>(cell) * 2 >= set.size()) {
        return {};
    }
    std::string_view label = set.substr(static_cast<std::size_t>(cell) * 2, 2);
    while (!label.empty() && label.back() == ' ') {
        label.remove_suffix(1);
    }
    return std::string(label);
}

void AssignSoundLabel(SlotState& slot, int bellCount, int bellWeight) {
    if (bellCount <= 0) {
        return;
    }
    slot.soundLabel = slot.bell == 0 ? std::string() : SoundLabelFor(bellCount, bellWeight, slot.soundPosition);
}
