#include "app/TowerWindow.h"

void TowerWindow::OnTowerListEntry(const MessageBuffer&) {}
void TowerWindow::RunJoinDialog() {}
void TowerWindow::OnServerNotice(const MessageBuffer&) {}
