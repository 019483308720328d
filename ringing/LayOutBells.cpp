// Puts the tower's bells on the bell buttons: which columns hold bells, what
// every button shows, and which keys ring the user's own bells.
#include "app/TowerWindow.h"

void TowerWindow::LayOutBells() { ShowLayout(session.LayOutBells()); }

void TowerWindow::ShowLayout(const LayoutPlan& layout) {
    for (platform::Button& button : messageButtons) button.ShowWindow(layout.conductorControls);
    bellsButton.ShowWindow(layout.conductorControls);
    messagesButton.ShowWindow(layout.conductorControls);

    for (int i = 0; i < kSlotCount; ++i) {
        const SlotPlan& plan = layout.slots[i];
        upperBellButtons[i].SetWindowText(plan.upperText);
        lowerBellButtons[i].SetWindowText(plan.lowerText);
        upperBellButtons[i].ShowWindow(plan.visible);
        lowerBellButtons[i].ShowWindow(plan.visible);
        if (plan.visible) {
            // The key to ring next in the dialog font; the number stands out large.
            upperBellButtons[i].SetFont(DialogFont());
            lowerBellButtons[i].SetFont(bigFont);
        }
    }

    // Away from any bell button, so that a key press cannot land on one by focus;
    // the brief pushed look shows where the focus went.
    settingsButton.SetFocus();
    settingsButton.SetState(true);
    settingsButton.SetState(false);
}
