#include "app/TowerWindow.h"

// A ping the striker's client reported with a strike: into that ringer's
// statistics and onto the ringer's row of the ringers list.
void TowerWindow::RecordPing(const std::string& ringerName, std::int16_t value) {
    if (value == 0 || ringerName.empty()) {
        return;  // 0: the striker measured nothing since its previous strike
    }
    Ringer* ringer = ringers.FindRinger(ringerName);
    if (ringer == nullptr) {
        return;  // the bell's last ringer has left
    }
    ringer->pings.Record(value);

    const int row = FindRingerRow(ringer->itemId);
    if (row == -1) {
        return;
    }
    ringerListView.SetItemText(row, 2, ringer->pings.ColumnText());
}
