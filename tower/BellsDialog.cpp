#include "tower/BellsDialog.h"

#include <string>

#include "app/TowerWindow.h"
#include "platform/MessageBox.h"
#include "resources/ResourceIds.h"
#include "resources/Templates.h"
#include "tower/Allocation.h"

BellsDialog::BellsDialog() : platform::Dialog(BellsTemplate()) {}

void BellsDialog::DoDataExchange() {
    Bind(conductorCombo, ids::IDC_CONDUCTOR_COMBO);
    Bind(bell9Combo, ids::IDC_BELL_COMBO_FIRST + 8);
    Bind(bell12Combo, ids::IDC_BELL_COMBO_FIRST + 11);
    Bind(bell11Combo, ids::IDC_BELL_COMBO_FIRST + 10);
    Bind(bell10Combo, ids::IDC_BELL_COMBO_FIRST + 9);
    Bind(bell8Combo, ids::IDC_BELL_COMBO_FIRST + 7);
    Bind(bell7Combo, ids::IDC_BELL_COMBO_FIRST + 6);
    Bind(bell6Combo, ids::IDC_BELL_COMBO_FIRST + 5);
    Bind(bell5Combo, ids::IDC_BELL_COMBO_FIRST + 4);
    Bind(bell4Combo, ids::IDC_BELL_COMBO_FIRST + 3);
    Bind(bell3Combo, ids::IDC_BELL_COMBO_FIRST + 2);
    Bind(bell2Combo, ids::IDC_BELL_COMBO_FIRST + 1);
    Bind(bell1Combo, ids::IDC_BELL_COMBO_FIRST);
}

// Opens on the current allocation: each bell shows its ringer (or the empty
// entry), the Conductor combo the conductor.
bool BellsDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    bellCombos = {&bell1Combo, &bell2Combo, &bell3Combo, &bell4Combo,  &bell5Combo,  &bell6Combo,
                  &bell7Combo, &bell8Combo, &bell9Combo, &bell10Combo, &bell11Combo, &bell12Combo};

    const RingerTable::Map& ringers = window->ringers.ringers;
    for (int bell = 1; bell <= wire::kMaxBells; ++bell) {
        platform::ComboBox& combo = *bellCombos[bell - 1];
        combo.SetCurSel(combo.AddString(""));
        // Where several ringers claim the bell, the last in name order shows.
        for (const auto& [key, ringer] : ringers) {
            const int index = combo.AddString(ringer.name);
            if (RingsBell(ringer.bells, bell)) {
                combo.SetCurSel(index);
            }
        }
    }
    for (const auto& [key, ringer] : ringers) {
        const int index = conductorCombo.AddString(ringer.name);
        if (ringer.conductor) {
            conductorCombo.SetCurSel(index);
        }
    }
    return true;
}

// Accepts ringers on bells 1 to k and nobody above; anything else is refused
// with one message per bell chosen after a gap, and the dialog stays open.
void BellsDialog::OnOK() {
    std::array<std::string, wire::kMaxBells> chosen;
    for (int bell = 1; bell <= wire::kMaxBells; ++bell) {
        const platform::ComboBox& combo = *bellCombos[bell - 1];
        chosen[bell - 1] = combo.GetLBText(combo.GetCurSel());
    }
    const AllocationResult allocation = TallyAllocation(chosen, window->ringers.ringers);
    for (int shown = 0; shown < allocation.gapMessages; ++shown) {
        platform::MessageBox(kAllocationGapMessage);
    }
    if (!allocation.valid) {
        return;
    }

    // Ringers may have come or gone while the boxes were open: the write-back
    // takes the table as it is now.
    const std::string conductor = conductorCombo.GetLBText(conductorCombo.GetCurSel());
    ApplyAllocation(allocation, conductor, window->ringers.ringers);
    window->bellCount = static_cast<std::uint16_t>(allocation.bellCount);
    EndDialog(platform::IDOK);
}
