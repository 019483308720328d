// Puts the tower's bells on the bell buttons: which columns hold bells, what
// every button shows, and which keys ring the user's own bells.
#include "app/TowerWindow.h"

void TowerWindow::LayOutBells() {
    // While someone else conducts, the allocation and the calls are theirs.
    const bool conductorControls = ringers.AllocationControlsVisible(ownName);
    for (platform::Button& button : messageButtonControls) button.ShowWindow(conductorControls);
    bellsButton.ShowWindow(conductorControls);
    messagesButton.ShowWindow(conductorControls);

    const std::string own = ringers.RingerFor(ownName).bells;
    const auto plans = PlanBellLayout(bellCount, own, keyboardControl, showNumbers);
    for (int i = 0; i < kSlotCount; ++i) {
        BellSlot& slot = slots[i];
        const SlotPlan& plan = plans[i];
        ApplyPlan(slot, plan);
        slot.upperButton->SetWindowText(plan.upperText);
        slot.lowerButton->SetWindowText(plan.lowerText);
        slot.upperButton->ShowWindow(plan.visible);
        slot.lowerButton->ShowWindow(plan.visible);
        if (plan.visible) {
            // The key to ring next in the dialog font; the number stands out large.
            slot.upperButton->SetFont(DialogFont());
            slot.lowerButton->SetFont(bigFont);
        }
    }

    AssignSoundLabels();

    // Away from any bell button, so that a key press cannot land on one by focus;
    // the brief pushed look shows where the focus went.
    settingsButton.SetFocus();
    settingsButton.SetState(true);
    settingsButton.SetState(false);
}
