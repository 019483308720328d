// Who is in the tower and what each rings: the server's RingerInfo, RingerLeft
// and TowerEntered applied to the ringer table and the ringers list, whose
// rows are found by the ringer's item id and ordered by the bells rung.
#include "app/TowerWindow.h"
#include "lobby/RingerOrder.h"

namespace {

// Appends the ringer's row at the bottom; the sort that follows moves it.
void AppendRingerRow(platform::ListView& list, const Ringer& ringer) {
    const int row = list.InsertItem(list.GetItemCount(), ringer.name);
    list.SetItemText(row, 1, BellsColumnText(ringer.bells, ringer.conductor));
    list.SetItemData(row, ringer.itemId);
}

}  // namespace

void TowerWindow::OnRingerInfo(const wire::RingerInfo& message) {
    // The count first, so that a relayout below already uses it.
    bellCount = message.bellCount;
    const std::string name(message.name);
    const std::string bells(message.bells);
    const bool conductor = message.conductor;

    if (Ringer* ringer = ringers.FindRinger(name); ringer == nullptr) {
        const Ringer& newcomer = ringers.AddRinger(name, bells, conductor);
        AppendRingerRow(ringerListView, newcomer);
        // A newcomer who rings nothing and does not conduct moves no bell.
        if (!bells.empty() || conductor) LayOutBells();
    } else {
        ringer->name = name;
        ringer->bells = bells;
        ringer->conductor = conductor;
        const int row = FindRingerRow(ringer->itemId);
        if (row == -1) {
            // The user's own record, made before the server announced the
            // user, has no row yet: it gets one as a newcomer would.
            ringer->itemId = ++ringers.lastItemId;
            AppendRingerRow(ringerListView, *ringer);
        } else {
            ringerListView.SetItemText(row, 0, name);
            ringerListView.SetItemText(row, 1, BellsColumnText(bells, conductor));
        }
        LayOutBells();
    }

    // After the relayout, so that the slots carry the new bell numbers.
    SetSlotRinger(slots, name, bells);
    ringerListView.SortItems(CompareRingerRows, reinterpret_cast<std::intptr_t>(&ringerListView));
}

void TowerWindow::OnRingerLeft(const wire::RingerLeft& message) {
    const std::string name(message.name);
    const Ringer* ringer = ringers.FindRinger(name);
    if (ringer == nullptr) return;
    const bool rangBells = !ringer->bells.empty() || ringer->conductor;
    const std::int32_t itemId = ringer->itemId;
    ringers.RemoveRinger(name);

    // The other rows keep their order.
    if (const int row = FindRingerRow(itemId); row != -1) ringerListView.DeleteItem(row);
    if (rangBells) LayOutBells();
}

void TowerWindow::OnTowerEntered(const wire::TowerEntered& message) {
    ringers.ClearRingers();
    // Rows of an earlier tower would name ringers the table no longer holds.
    ringerListView.DeleteAllItems();
    bellCount = 0;
    currentTower = message.tower;
}

int TowerWindow::FindRingerRow(std::int32_t itemId) {
    int found = -1;
    for (int row = 0; row < ringerListView.GetItemCount(); ++row) {
        if (ringerListView.GetItemData(row) == itemId) found = row;
    }
    return found;
}

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
