// Dialog templates as data: a caption, a size and the controls, with every
// position in dialog units. The dialog layer builds windows from them.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDC_STATIC = -1;

enum class ControlKind { PushButton, Static, Edit, ListView, ComboBox, RadioButton, GroupBox, Canvas };

// Style bits of a control; anything not listed is the kind's usual look.
enum ControlStyle : unsigned {
    kStyleNone = 0,
    kDefaultButton = 1u << 0,    // push button that Enter clicks
    kCentreText = 1u << 1,       // static: horizontally centred
    kVCentreText = 1u << 2,      // static: vertically centred
    kSorted = 1u << 3,           // combo box: entries kept sorted, case-insensitively
    kGroupStart = 1u << 4,       // first of a group: the radio buttons up to the next start are exclusive
    kSingleSelection = 1u << 5,  // list view: one row at a time (else any number)
    kWordWrap = 1u << 6,         // static: long lines wrap (else the text stays on one line)
    kNoTabStop = 1u << 7,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    std::string text;
    int x, y, cx, cy;  // dialog units
    unsigned style = kStyleNone;
    std::vector<std::string> items = {};  // combo box entries that come with the template
};

struct DialogTemplate {
    int id;
    std::string caption;
    int cx, cy;  // dialog units
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    bool minimizeBox = false;
    std::vector<ControlTemplate> controls;
};

}  // namespace platform
