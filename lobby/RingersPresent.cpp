// Who is in the tower and what each rings: the session applies the server's
// RingerInfo, RingerLeft and TowerEntered; the window keeps the ringers list
// in step, its rows found by the ringer's item id and ordered by the bells
// rung.
#include "app/TowerWindow.h"
#include "lobby/RingerOrder.h"

void TowerWindow::OnRingerInfo(const wire::RingerInfo& message) { ShowRingerChange(session.OnRingerInfo(message)); }

void TowerWindow::OnRingerLeft(const wire::RingerLeft& message) { ShowRingerChange(session.OnRingerLeft(message)); }

void TowerWindow::OnTowerEntered(const wire::TowerEntered& message) {
    session.OnTowerEntered(message);
    // Rows of an earlier tower would name ringers the table no longer holds.
    ringerListView.DeleteAllItems();
}

void TowerWindow::ShowRingerChange(const RingerChange& change) {
    const int row = FindRingerRow(change.itemId);
    switch (change.row) {
    case RingerChange::Row::None: break;
    case RingerChange::Row::Added: {
        // At the bottom; the sort that follows moves it.
        const Ringer& ringer = *change.ringer;
        const int added = ringerListView.InsertItem(ringerListView.GetItemCount(), ringer.name);
        ringerListView.SetItemText(added, 1, BellsColumnText(ringer.bells, ringer.conductor));
        ringerListView.SetItemData(added, ringer.itemId);
        break;
    }
    case RingerChange::Row::Updated:
        ringerListView.SetItemText(row, 0, change.ringer->name);
        ringerListView.SetItemText(row, 1, BellsColumnText(change.ringer->bells, change.ringer->conductor));
        break;
    case RingerChange::Row::Removed:
        // The other rows keep their order.
        if (row != -1) ringerListView.DeleteItem(row);
        break;
    }
    if (change.laidOut) ShowLayout(session.Layout());
    if (change.sortRows) ringerListView.SortItems(CompareRingerRows, reinterpret_cast<std::intptr_t>(&ringerListView));
}

int TowerWindow::FindRingerRow(std::int32_t itemId) {
    int found = -1;
    for (int row = 0; row < ringerListView.GetItemCount(); ++row) {
        if (ringerListView.GetItemData(row) == itemId) found = row;
    }
    return found;
}

// Quadratic on purpose: each comparison looks both rows up, and a tower holds
// a few dozen ringers at most.
int TowerWindow::CompareRingerRows(std::intptr_t data1, std::intptr_t data2, std::intptr_t list) {
    const auto& view = *reinterpret_cast<const platform::ListView*>(list);
    std::string text1;
    std::string text2;
    for (int row = 0; row < view.GetItemCount(); ++row) {
        const std::intptr_t data = view.GetItemData(row);
        if (data == data1) text1 = view.GetItemText(row, 1);
        if (data == data2) text2 = view.GetItemText(row, 1);
    }
    return CompareBellsColumnTexts(text1, text2);
}
