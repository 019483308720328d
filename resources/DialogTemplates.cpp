#include <string>

#include "resources/ResourceIds.h"
#include "resources/Templates.h"

using namespace platform;

namespace {
ControlTemplate Label(std::string text, int x, int y, int cx, int cy) {
    return {IDC_STATIC, ControlKind::Static, std::move(text), x, y, cx, cy};
}
ControlTemplate Ok(int x, int y) { return {IDOK, ControlKind::PushButton, "OK", x, y, 50, 14, kDefaultButton}; }
ControlTemplate Cancel(int x, int y) { return {IDCANCEL, ControlKind::PushButton, "Cancel", x, y, 50, 14}; }
}  // namespace

const DialogTemplate& JoinTowerTemplate() {
    static const DialogTemplate t{
        ids::IDD_JOIN_TOWER,
        "Start/Join a Tower",
        245,
        154,
        "MS Sans Serif",
        8,
        false,
        {
            Label("Your Name", 7, 10, 36, 8),
            {ids::IDC_USER_NAME, ControlKind::Edit, "", 67, 7, 171, 14},
            {ids::IDC_JOIN_RADIO, ControlKind::RadioButton, "Join a Tower", 85, 27, 57, 10, kGroupStart},
            {ids::IDC_START_RADIO, ControlKind::RadioButton, "Start a New Tower", 85, 40, 75, 10},
            {ids::IDC_JOIN_GROUP, ControlKind::GroupBox, "Join a Tower", 7, 50, 231, 80},
            {ids::IDC_TOWER_LIST, ControlKind::ListView, "", 14, 61, 218, 63, kSingleSelection},
            {ids::IDC_START_GROUP, ControlKind::GroupBox, "Start a New Tower", 7, 59, 231, 62},
            {ids::IDC_NAME_LABEL, ControlKind::Static, "Name", 12, 78, 20, 8},
            {ids::IDC_NEW_TOWER_NAME, ControlKind::Edit, "", 67, 75, 163, 14},
            {ids::IDC_DESCRIPTION_LABEL, ControlKind::Static, "Description", 12, 100, 36, 8},
            {ids::IDC_NEW_TOWER_DESCRIPTION, ControlKind::Edit, "", 67, 98, 163, 14},
            Ok(62, 133),
            Cancel(132, 133),
        }};
    return t;
}

const DialogTemplate& MessagesTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{ids::IDD_MESSAGES, "Set Messages", 186, 159, "MS Sans Serif", 8, false, {}};
        for (int k = 1; k <= 8; ++k) {
            d.controls.push_back(Label("Message " + std::to_string(k), 7, 10 + 16 * (k - 1), 36, 8));
            d.controls.push_back({ids::kMessageEdits[k - 1], ControlKind::Edit, "", 55, 7 + 16 * (k - 1), 124, 14});
        }
        d.controls.push_back(Ok(31, 138));
        d.controls.push_back(Cancel(105, 138));
        return d;
    }();
    return t;
}

const DialogTemplate& BellsTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{ids::IDD_BELLS, "Bells", 186, 250, "MS Sans Serif", 8, false, {}};
        for (int n = 1; n <= 12; ++n) {
            d.controls.push_back(Label("Bell " + std::to_string(n), 7, 9 + 17 * (n - 1), n >= 10 ? 22 : 18, 8));
            d.controls.push_back(
                {ids::IDC_BELL_COMBO_FIRST + n - 1, ControlKind::ComboBox, "", 45, 7 + 17 * (n - 1), 134, 97, kSorted});
        }
        d.controls.push_back(Label("Conductor", 7, 214, 34, 8));
        d.controls.push_back({ids::IDC_CONDUCTOR_COMBO, ControlKind::ComboBox, "", 45, 211, 134, 97, kSorted});
        d.controls.push_back(Ok(34, 229));
        d.controls.push_back(Cancel(103, 229));
        return d;
    }();
    return t;
}

const DialogTemplate& ControlsTemplate() {
    static const DialogTemplate t{
        ids::IDD_CONTROLS,
        "Controls",
        234,
        105,
        "MS Sans Serif",
        8,
        false,
        {
            Label("Mouse Control", 7, 9, 60, 8),
            {ids::IDC_MOUSE_COMBO,
             ControlKind::ComboBox,
             "",
             70,
             7,
             157,
             60,
             kStyleNone,
             {"Click blank button to move number to it", "Click either button to move number"}},
            Label("Keyboard Control", 7, 27, 60, 8),
            {ids::IDC_KEYBOARD_COMBO,
             ControlKind::ComboBox,
             "",
             70,
             25,
             157,
             60,
             kStyleNone,
             {"Two keys per bell", "One key per bell"}},
            Label("Bells", 7, 45, 60, 8),
            {ids::IDC_WEIGHT_COMBO,
             ControlKind::ComboBox,
             "",
             70,
             43,
             157,
             60,
             kStyleNone,
             {"Light", "Medium", "Heavy"}},
            Label("Show Numbers", 7, 63, 60, 8),
            {ids::IDC_NUMBERS_COMBO,
             ControlKind::ComboBox,
             "",
             70,
             61,
             157,
             60,
             kStyleNone,
             {"Hide Bell Numbers", "Show Bell Numbers"}},
            Ok(60, 84),
            Cancel(124, 84),
        }};
    return t;
}
