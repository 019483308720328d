#include "app/TowerWindow.h"

void TowerWindow::ConnectToServer() {}
void TowerWindow::OnConnected() {}
void TowerWindow::QueueMessage(const MessageBuffer&) {}
void TowerWindow::FlushSendQueue() {}
void TowerWindow::OnSocketEvent(platform::SOCKET, int, int) {}
void TowerWindow::OnReceive() {}
void TowerWindow::HandleMessage() {}
void TowerWindow::OnConnectionLost() {}
