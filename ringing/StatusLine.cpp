#include "app/TowerWindow.h"

void TowerWindow::OnActivate(bool) {}
void TowerWindow::OnCallMessage(const MessageBuffer&) {}
