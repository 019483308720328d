// Template and control ids of the client's windows.
#pragma once

namespace ids {

inline constexpr int IDD_TOWER = 102;
inline constexpr int IDR_MAINFRAME = 128;  // the program icon
inline constexpr int IDD_JOIN_TOWER = 129;
inline constexpr int IDD_MESSAGES = 130;
inline constexpr int IDD_BELLS = 131;
inline constexpr int IDD_CONTROLS = 132;
inline constexpr int IDD_REVIEW = 133;

// Main window (template 102).
inline constexpr int IDC_STATUS_LINE = 1016;
inline constexpr int IDC_BELLS = 1018;
inline constexpr int IDC_RINGER_LIST = 1023;
inline constexpr int IDC_MESSAGES = 1032;
inline constexpr int IDC_SETTINGS = 1036;
inline constexpr int IDC_CHAT_ENTRY = 1038;
inline constexpr int IDC_SEND = 1039;
inline constexpr int IDC_CHAT_DISPLAY = 1040;
inline constexpr int IDC_REVIEW = 1041;  // opens the striking review
// Bell buttons by slot index 0..11 (slot 0 is the rightmost column).
inline constexpr int kUpperBellButtons[12] = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1019, 1020, 1021, 1022};
inline constexpr int kLowerBellButtons[12] = {1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1024, 1033, 1034, 1035};
inline constexpr int kBellColumnX[12] = {436, 397, 358, 319, 280, 241, 202, 163, 124, 85, 46, 7};
// Message buttons 1 to 8.
inline constexpr int kMessageButtons[8] = {1017, 1025, 1026, 1027, 1028, 1029, 1030, 1031};

// Start/Join a Tower (template 129).
inline constexpr int IDC_USER_NAME = 1019;
inline constexpr int IDC_NEW_TOWER_NAME = 1043;
inline constexpr int IDC_NEW_TOWER_DESCRIPTION = 1044;
inline constexpr int IDC_TOWER_LIST = 1045;
inline constexpr int IDC_JOIN_RADIO = 1046;
inline constexpr int IDC_START_RADIO = 1047;
inline constexpr int IDC_JOIN_GROUP = 1048;
inline constexpr int IDC_START_GROUP = 1049;
inline constexpr int IDC_NAME_LABEL = 1050;
inline constexpr int IDC_DESCRIPTION_LABEL = 1051;

// Set Messages (template 130): the edits of messages 1 to 8 (there is no 1027).
inline constexpr int kMessageEdits[8] = {1021, 1022, 1023, 1024, 1025, 1026, 1028, 1029};

// Bells (template 131): the combo of bell n is 1021 + n.
inline constexpr int IDC_BELL_COMBO_FIRST = 1022;
inline constexpr int IDC_CONDUCTOR_COMBO = 1034;

// Controls (template 132).
inline constexpr int IDC_MOUSE_COMBO = 1024;
inline constexpr int IDC_KEYBOARD_COMBO = 1025;
inline constexpr int IDC_WEIGHT_COMBO = 1041;
inline constexpr int IDC_NUMBERS_COMBO = 1042;

// Striking review (template 133).
inline constexpr int IDC_REVIEW_CHART = 1060;
inline constexpr int IDC_REVIEW_TOUCH = 1061;
inline constexpr int IDC_EARLIER_TOUCH = 1062;
inline constexpr int IDC_LATER_TOUCH = 1063;
inline constexpr int IDC_EARLIER_ROWS = 1064;
inline constexpr int IDC_LATER_ROWS = 1065;
inline constexpr int IDC_REVIEW_FIGURES = 1066;
inline constexpr int IDC_BAND_FIGURES = 1067;
inline constexpr int IDC_SAVE_CSV = 1068;
inline constexpr int IDC_SAVE_PNG = 1069;
inline constexpr int IDC_REVIEW_ROWS = 1070;
inline constexpr int IDC_REVIEW_SAVED = 1071;

}  // namespace ids
