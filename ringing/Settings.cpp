// The Settings button: the Controls dialog, and a relayout so that its
// choices take effect at once.
#include "app/TowerWindow.h"
#include "ringing/ControlsDialog.h"

void TowerWindow::OnSettings() {
    ControlsDialog dialog;
    dialog.window = this;
    if (dialog.DoModal() != platform::IDOK) return;
    // The relayout gives every bell its sound for the new weight too.
    LayOutBells();
}
