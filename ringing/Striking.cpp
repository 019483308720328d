#include <chrono>

#include "app/TowerWindow.h"

void TowerWindow::OnBellButton(int, bool) {}
void TowerWindow::OnStrikeMessage(const MessageBuffer&) {}

std::int32_t TowerWindow::NowMs() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto sinceMidnight = now - floor<days>(now);
    return static_cast<std::int32_t>(duration_cast<milliseconds>(sinceMidnight).count());
}
