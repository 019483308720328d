#include "resources/ResourceIds.h"
#include "resources/Templates.h"

using namespace platform;

const DialogTemplate& TowerWindowTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{ids::IDD_TOWER, "Tolmer", 477, 353, "MS Sans Serif", 8, true, {}};
        auto button = [&d](int id, std::string text, int x, int y, int cx, int cy, unsigned style = kStyleNone) {
            d.controls.push_back({id, ControlKind::PushButton, std::move(text), x, y, cx, cy, style});
        };
        for (int i = 0; i < 8; ++i)
            button(ids::kUpperBellButtons[i], std::to_string(i + 1), ids::kBellColumnX[i], 112, 34, 27);
        for (int i = 8; i < 12; ++i)
            button(ids::kUpperBellButtons[i], std::to_string(i + 1), ids::kBellColumnX[i], 112, 34, 27);
        for (int i = 0; i < 8; ++i)
            button(ids::kLowerBellButtons[i], std::to_string(i + 1), ids::kBellColumnX[i], 144, 34, 27);
        for (int i = 8; i < 12; ++i)
            button(ids::kLowerBellButtons[i], std::to_string(i + 1), ids::kBellColumnX[i], 144, 34, 27);
        const int messageX[4] = {7, 124, 241, 358};
        for (int k = 0; k < 4; ++k) button(ids::kMessageButtons[k], "", messageX[k], 208, 112, 14);
        for (int k = 4; k < 8; ++k) button(ids::kMessageButtons[k], "", messageX[k - 4], 229, 112, 14);
        button(ids::IDC_SETTINGS, "Settings", 358, 250, 112, 14, kDefaultButton);
        button(ids::IDC_BELLS, "Bells", 358, 271, 112, 14);
        button(ids::IDC_MESSAGES, "Messages", 358, 292, 112, 14);
        d.controls.push_back({ids::IDC_STATUS_LINE, ControlKind::Static, "Welcome to Tolmer", 7, 176, 463, 25,
                              kCentreText | kVCentreText});
        d.controls.push_back({ids::IDC_CHAT_ENTRY, ControlKind::Edit, "", 7, 331, 347, 14});
        button(ids::IDC_SEND, "Send", 358, 331, 112, 14, kDefaultButton);
        d.controls.push_back({ids::IDC_RINGER_LIST, ControlKind::ListView, "", 7, 7, 463, 100});
        d.controls.push_back({ids::IDC_CHAT_DISPLAY, ControlKind::Static, "", 7, 250, 346, 75, kWordWrap});
        // Added last, in the room between Messages and Send: the other
        // controls keep their places and their tab order.
        button(ids::IDC_REVIEW, "Review", 358, 310, 112, 14);
        return d;
    }();
    return t;
}
