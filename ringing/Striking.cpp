// A click asks the server to strike; the bell moves only when the server's
// copy of the strike comes back, on every client alike.
#include "app/TowerWindow.h"

void TowerWindow::OnBellButton(int position, bool upperRow) { session.ClickBell(position, upperRow); }

void TowerWindow::OnStrikeMessage(const wire::Strike& message) {
    const StrikeChange change = session.OnStrike(message);
    if (change.slot < 0) return;  // nothing moved: nothing to show or hear

    const SlotState& slot = session.slots[change.slot];
    const StrikeText text = StrikeTexts(slot, change.stroke, session.settings.showNumbers);
    platform::Button& upper = upperBellButtons[change.slot];
    platform::Button& lower = lowerBellButtons[change.slot];
    upper.SetWindowText(text.upperText);
    lower.SetWindowText(text.lowerText);
    upper.SetFont(text.upperIsNumber ? bigFont : DialogFont());
    lower.SetFont(text.upperIsNumber ? DialogFont() : bigFont);

    PlayBellSound(slot);
    if (change.pinged) ShowPing(*change.pinged);
}
