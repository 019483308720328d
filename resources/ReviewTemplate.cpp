#include "resources/ResourceIds.h"
#include "resources/Templates.h"

using namespace platform;

const DialogTemplate& ReviewTemplate() {
    static const DialogTemplate t{
        ids::IDD_REVIEW,
        "Striking Review",
        520,
        400,
        "MS Sans Serif",
        8,
        false,
        {
            {ids::IDC_REVIEW_TOUCH, ControlKind::Static, "", 7, 8, 290, 10},
            {ids::IDC_EARLIER_TOUCH, ControlKind::PushButton, "< Earlier touch", 300, 5, 70, 14},
            {ids::IDC_LATER_TOUCH, ControlKind::PushButton, "Later touch >", 374, 5, 70, 14},
            {IDCANCEL, ControlKind::PushButton, "Close", 448, 5, 65, 14},
            {ids::IDC_REVIEW_CHART, ControlKind::Canvas, "", 7, 23, 300, 262},
            {ids::IDC_BAND_FIGURES, ControlKind::Static, "", 314, 23, 199, 64, kWordWrap},
            {ids::IDC_SAVE_CSV, ControlKind::PushButton, "Save CSV", 314, 92, 97, 14},
            {ids::IDC_SAVE_PNG, ControlKind::PushButton, "Save PNG", 416, 92, 97, 14},
            {ids::IDC_REVIEW_SAVED, ControlKind::Static, "", 314, 110, 199, 44, kWordWrap},
            {ids::IDC_EARLIER_ROWS, ControlKind::PushButton, "Earlier rows", 314, 160, 97, 14},
            {ids::IDC_LATER_ROWS, ControlKind::PushButton, "Later rows", 416, 160, 97, 14},
            {ids::IDC_REVIEW_ROWS, ControlKind::Static, "", 314, 178, 199, 10},
            {IDC_STATIC, ControlKind::Static,
             "Each dot is a blow in its bell's colour, where it fell against its place (the grey lines): "
             "late to the right, early to the left. Your blows are ringed. A red mark is a row with a "
             "bell missing or struck twice. Gap: the pause before each handstroke, the tick at one blow.",
             314, 196, 199, 88, kWordWrap},
            {ids::IDC_REVIEW_FIGURES, ControlKind::ListView, "", 7, 291, 506, 102},
        }};
    return t;
}
