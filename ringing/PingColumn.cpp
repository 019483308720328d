#include "app/TowerWindow.h"

// A ringer's statistics, after a strike reported a ping, onto the third
// column of the ringer's row; a ringer without a row shows nothing.
void TowerWindow::ShowPing(const Ringer& ringer) {
    const int row = FindRingerRow(ringer.itemId);
    if (row == -1) return;
    ringerListView.SetItemText(row, 2, ringer.pings.ColumnText());
}
