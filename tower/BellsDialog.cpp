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

int BellsDialog::AddName(platform::ComboBox& combo, std::vector<std::string>& names, const std::string& name) {
    // A sorted combo inserts the entry in its place: the names move with it.
    const int index = combo.AddString(name);
    names.insert(names.begin() + index, name);
    return index;
}

std::string BellsDialog::Chosen(const platform::ComboBox& combo, const std::vector<std::string>& names) {
    const int index = combo.GetCurSel();
    return index >= 0 && index < static_cast<int>(names.size()) ? names[static_cast<std::size_t>(index)]
                                                                : std::string();
}

// Opens on the current allocation: each bell shows its ringer (or the empty
// entry), the Conductor combo the conductor.
bool BellsDialog::OnInitDialog() {
    platform::Dialog::OnInitDialog();
    bellCombos = {&bell1Combo, &bell2Combo, &bell3Combo, &bell4Combo,  &bell5Combo,  &bell6Combo,
                  &bell7Combo, &bell8Combo, &bell9Combo, &bell10Combo, &bell11Combo, &bell12Combo};

    const RingerTable::Map& ringers = window->session.ringers.ringers;
    for (int bell = 1; bell <= wire::kMaxBells; ++bell) {
        platform::ComboBox& combo = *bellCombos[bell - 1];
        std::vector<std::string>& names = bellNames[bell - 1];
        combo.SetCurSel(AddName(combo, names, ""));
        // Where several ringers claim the bell, the last in name order shows.
        for (const auto& [key, ringer] : ringers) {
            const int index = AddName(combo, names, ringer.name);
            if (RingsBell(ringer.bells, bell)) combo.SetCurSel(index);
        }
    }
    for (const auto& [key, ringer] : ringers) {
        const int index = AddName(conductorCombo, conductorNames, ringer.name);
        if (ringer.conductor) conductorCombo.SetCurSel(index);
    }
    return true;
}

// Accepts ringers on bells 1 to k and nobody above; anything else is refused
// with one message per bell chosen after a gap, and the dialog stays open.
void BellsDialog::OnOK() {
    std::array<std::string, wire::kMaxBells> chosen;
    for (int bell = 1; bell <= wire::kMaxBells; ++bell)
        chosen[bell - 1] = Chosen(*bellCombos[bell - 1], bellNames[bell - 1]);
    const AllocationResult allocation = TallyAllocation(chosen, window->session.ringers.ringers);
    for (int shown = 0; shown < allocation.gapMessages; ++shown) platform::MessageBox(kAllocationGapMessage);
    if (!allocation.valid) return;

    // Ringers may have come or gone while the boxes were open: the write-back
    // takes the table as it is now.
    window->session.ApplyAllocation(allocation, Chosen(conductorCombo, conductorNames));
    EndDialog(platform::IDOK);
}
