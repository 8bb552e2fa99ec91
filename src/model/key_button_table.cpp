#include "model/key_button_table.h"

#include <algorithm>
#include <cstdio>

namespace velkarn {
namespace {

constexpr std::array<KeyButton, kKeyButtonCount> kTable = {{
    {0, 1058, "A", 0x1E, 30, 55},
    {1, 1075, "B", 0x30, 48, 78},
    {2, 1073, "C", 0x2E, 46, 76},
    {3, 1060, "D", 0x20, 32, 57},
    {4, 1046, "E", 0x12, 18, 39},
    {5, 1061, "F", 0x21, 33, 58},
    {6, 1062, "G", 0x22, 34, 59},
    {7, 1063, "H", 0x23, 35, 60},
    {8, 1051, "I", 0x17, 23, 44},
    {9, 1064, "J", 0x24, 36, 61},
    {10, 1065, "K", 0x25, 37, 62},
    {11, 1066, "L", 0x26, 38, 63},
    {12, 1077, "M", 0x32, 50, 80},
    {13, 1076, "N", 0x31, 49, 79},
    {14, 1052, "O", 0x18, 24, 45},
    {15, 1053, "P", 0x19, 25, 46},
    {16, 1044, "Q", 0x10, 16, 37},
    {17, 1047, "R", 0x13, 19, 40},
    {18, 1059, "S", 0x1F, 31, 56},
    {19, 1048, "T", 0x14, 20, 41},
    {20, 1050, "U", 0x16, 22, 43},
    {21, 1074, "V", 0x2F, 47, 77},
    {22, 1045, "W", 0x11, 17, 38},
    {23, 1072, "X", 0x2D, 45, 75},
    {24, 1049, "Y", 0x15, 21, 42},
    {25, 1071, "Z", 0x2C, 44, 74},
    {26, 1030, "1", 0x02, 2, 19},
    {27, 1031, "2", 0x03, 3, 20},
    {28, 1032, "3", 0x04, 4, 21},
    {29, 1033, "4", 0x05, 5, 22},
    {30, 1034, "5", 0x06, 6, 23},
    {31, 1035, "6", 0x07, 7, 24},
    {32, 1036, "7", 0x08, 8, 25},
    {33, 1037, "8", 0x09, 9, 26},
    {34, 1038, "9", 0x0A, 10, 27},
    {35, 1039, "0", 0x0B, 11, 28},
    {36, 1070, "Enter", 0x1C, 28, 67},
    {37, 1022, "Esc", 0x01, 1, 0},
    {38, 1043, "Backspace", 0x0E, 14, 31},
    {39, 1056, "Tab", 0x0F, 15, 36},
    {40, 1090, "Space", 0x39, 57, 93},
    {41, 1040, "-", 0x0C, 12, 29},
    {42, 1041, "=", 0x0D, 13, 30},
    {43, 1054, "[", 0x1A, 26, 47},
    {44, 1055, "]", 0x1B, 27, 48},
    {45, 1042, "\\", 0x2B, 43, 49},
    {46, 1067, ";", 0x27, 39, 64},
    {47, 1068, "'", 0x28, 40, 65},
    {48, 1029, "`", 0x29, 41, 18},
    {49, 1078, ",", 0x33, 51, 81},
    {50, 1079, ".", 0x34, 52, 82},
    {51, 1080, "/", 0x35, 53, 83},
    {52, 1010, "F1", 0x3B, 59, 1},
    {53, 1011, "F2", 0x3C, 60, 2},
    {54, 1012, "F3", 0x3D, 61, 3},
    {55, 1013, "F4", 0x3E, 62, 4},
    {56, 1014, "F5", 0x3F, 63, 5},
    {57, 1015, "F6", 0x40, 64, 6},
    {58, 1023, "F7", 0x41, 65, 7},
    {59, 1024, "F8", 0x42, 66, 8},
    {60, 1025, "F9", 0x43, 67, 9},
    {61, 1026, "F10", 0x44, 68, 10},
    {62, 1027, "F11", 0x57, 87, 11},
    {63, 1028, "F12", 0x58, 88, 12},
    {64, 1091, "Print Screen", 0x137, 183, 13},
    {65, 1093, "Pause", 0x45, 69, 15},
    {66, 1094, "Insert", 0x152, 210, 32},
    {67, 1097, "Delete", 0x153, 211, 50},
    {68, 1095, "Home", 0x147, 199, 33},
    {69, 1098, "End", 0x14F, 207, 51},
    {70, 1096, "Page Up", 0x149, 201, 34},
    {71, 1099, "Page Down", 0x151, 209, 52},
    {72, 1103, "Up", 0x148, 200, 85},
    {73, 1101, "Down", 0x150, 208, 99},
    {74, 1100, "Left", 0x14B, 203, 98},
    {75, 1102, "Right", 0x14D, 205, 100},
    {76, 1092, "Scroll Lock", 0x46, 70, 14},
    {77, 1069, "Caps Lock", 0x3A, 58, 54},
    {78, 1088, "Application", 0x15D, 221, 96},
    {79, 1083, "Left Ctrl", 0x1D, 29, 90},
    {80, 1089, "Right Ctrl", 0x11D, 157, 97},
    {81, 1082, "Left Shift", 0x2A, 42, 72},
    {82, 1081, "Right Shift", 0x36, 54, 84},
    {83, 1085, "Left Alt", 0x38, 56, 92},
    {84, 1086, "Right Alt", 0x138, 184, 94},
    {85, 1084, "Left Win", 0x15B, 219, 91},
    {86, 1087, "Right Win", 0x15C, 220, 112},
    {87, 1115, "Num 1", 0x4F, 79, 103},
    {88, 1116, "Num 2", 0x50, 80, 104},
    {89, 1117, "Num 3", 0x51, 81, 105},
    {90, 1112, "Num 4", 0x4B, 75, 86},
    {91, 1113, "Num 5", 0x4C, 76, 87},
    {92, 1114, "Num 6", 0x4D, 77, 88},
    {93, 1108, "Num 7", 0x47, 71, 68},
    {94, 1109, "Num 8", 0x48, 72, 69},
    {95, 1110, "Num 9", 0x49, 73, 70},
    {96, 1120, "Num 0", 0x52, 82, 101},
    {97, 1104, "Num Lock", 0x145, 197, 53},
    {98, 1118, "Num Enter", 0x11C, 156, 106},
    {99, 1119, "Num .", 0x53, 83, 102},
    {100, 1105, "Num /", 0x135, 181, 35},
    {101, 1106, "Num *", 0x37, 55, 71},
    {102, 1107, "Num -", 0x4A, 74, 89},
    {103, 1111, "Num +", 0x4E, 78, 107},
}};

template <size_t N> int IndexIn(const std::array<int, N>& ids, int controlId) {
    auto it = std::find(ids.begin(), ids.end(), controlId);
    return it == ids.end() ? -1 : static_cast<int>(it - ids.begin());
}

} // namespace

std::span<const KeyButton, kKeyButtonCount> KeyButtonTable() {
    return kTable;
}

const KeyButton* FindKeyButton(int controlId) {
    for (const KeyButton& key : kTable) {
        if (key.controlId == controlId) {
            return &key;
        }
    }
    return nullptr;
}

int KeyButtonPosition(int controlId) {
    const KeyButton* key = FindKeyButton(controlId);
    return key ? key->position : -1;
}

const KeyButton* FindKeyButtonByEntry(int entry) {
    for (const KeyButton& key : kTable) {
        if (key.entry == entry) {
            return &key;
        }
    }
    return nullptr;
}

int GKeyIndexOf(int controlId) {
    return IndexIn(kGKeyControlIds, controlId);
}

int GKeyEntry(int n, int bank) {
    if (n < 0 || n >= kGKeyCount || bank < 0 || bank > 1) {
        return -1;
    }
    return kGKeyEntryBase + bank * kGKeyBankStride + n;
}

int DKeyIndexOf(int controlId) {
    return IndexIn(kDKeyControlIds, controlId);
}

std::string KeySkinKey(int entry) {
    char text[16];
    std::snprintf(text, sizeof text, "KEY_%03X", static_cast<unsigned>(entry) & 0xFFFu);
    return text;
}

std::string GKeySkinKey(int n) {
    return "FUNC_G" + std::to_string(n + 1);
}

std::string DKeySkinKey(int n) {
    return "KEY_D" + std::to_string(n + 1);
}

} // namespace velkarn
