#include "app/TowerWindow.h"

void TowerWindow::OnRingerInfo(const MessageBuffer&) {}
void TowerWindow::OnRingerLeft(const MessageBuffer&) {}
void TowerWindow::OnTowerEntered(const MessageBuffer&) {}
int TowerWindow::FindRingerRow(std::int32_t) { return -1; }
int TowerWindow::CompareRingerRows(std::intptr_t, std::intptr_t, std::intptr_t) { return 0; }
