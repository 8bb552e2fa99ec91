#include "model/key_table.h"

namespace velkarn {
namespace {

// One record per key index; the comment gives the index and the key code.
// Slots 0x80..0xFF carry the E0 keys (code = index + 0x80).
// clang-format off
constexpr KeyRecord kKeyTable[kKeyTableSize] = {
//   vk    list    legend           dev   language key                     // index: code
    {0x00, 0xFFFF, "",              0x00, ""},                             // 00: 000 empty
    {0x1B, 0x0025, "Esc",           0x29, "IDS_KEYBOARD_ESC"},             // 01: 001
    {0x31, 0x001A, "1",             0x1E, "IDS_KEYBOARD_1"},               // 02: 002
    {0x32, 0x001B, "2",             0x1F, "IDS_KEYBOARD_2"},               // 03: 003
    {0x33, 0x001C, "3",             0x20, "IDS_KEYBOARD_3"},               // 04: 004
    {0x34, 0x001D, "4",             0x21, "IDS_KEYBOARD_4"},               // 05: 005
    {0x35, 0x001E, "5",             0x22, "IDS_KEYBOARD_5"},               // 06: 006
    {0x36, 0x001F, "6",             0x23, "IDS_KEYBOARD_6"},               // 07: 007
    {0x37, 0x0020, "7",             0x24, "IDS_KEYBOARD_7"},               // 08: 008
    {0x38, 0x0021, "8",             0x25, "IDS_KEYBOARD_8"},               // 09: 009
    {0x39, 0x0022, "9",             0x26, "IDS_KEYBOARD_9"},               // 0A: 00A
    {0x30, 0x0023, "0",             0x27, "IDS_KEYBOARD_0"},               // 0B: 00B
    {0xBD, 0x0029, "-",             0x2D, "IDS_KEYBOARD_MINUS"},           // 0C: 00C
    {0xBB, 0x002A, "=",             0x2E, "IDS_KEYBOARD_EQU"},             // 0D: 00D
    {0x08, 0x0026, "Backspace",     0x2A, "IDS_KEYBOARD_BS"},              // 0E: 00E
    {0x09, 0x0027, "Tab",           0x2B, "IDS_KEYBOARD_TAB"},             // 0F: 00F
    {0x51, 0x0010, "Q",             0x14, "IDS_KEYBOARD_Q"},               // 10: 010
    {0x57, 0x0016, "W",             0x1A, "IDS_KEYBOARD_W"},               // 11: 011
    {0x45, 0x0004, "E",             0x08, "IDS_KEYBOARD_E"},               // 12: 012
    {0x52, 0x0011, "R",             0x15, "IDS_KEYBOARD_R"},               // 13: 013
    {0x54, 0x0013, "T",             0x17, "IDS_KEYBOARD_T"},               // 14: 014
    {0x59, 0x0018, "Y",             0x1C, "IDS_KEYBOARD_Y"},               // 15: 015
    {0x55, 0x0014, "U",             0x18, "IDS_KEYBOARD_U"},               // 16: 016
    {0x49, 0x0008, "I",             0x0C, "IDS_KEYBOARD_I"},               // 17: 017
    {0x4F, 0x000E, "O",             0x12, "IDS_KEYBOARD_O"},               // 18: 018
    {0x50, 0x000F, "P",             0x13, "IDS_KEYBOARD_P"},               // 19: 019
    {0xDB, 0x002B, "[",             0x2F, "IDS_KEYBOARD_SB1"},             // 1A: 01A
    {0xDD, 0x002C, "]",             0x30, "IDS_KEYBOARD_SB2"},             // 1B: 01B
    {0x0D, 0x0024, "Enter",         0x28, "IDS_KEYBOARD_ENTER"},           // 1C: 01C
    {0xA2, 0x0062, "Ctrl",          0xE0, "IDS_KEYBOARD_LCTRL"},           // 1D: 01D
    {0x41, 0x0000, "A",             0x04, "IDS_KEYBOARD_A"},               // 1E: 01E
    {0x53, 0x0012, "S",             0x16, "IDS_KEYBOARD_S"},               // 1F: 01F
    {0x44, 0x0003, "D",             0x07, "IDS_KEYBOARD_D"},               // 20: 020
    {0x46, 0x0005, "F",             0x09, "IDS_KEYBOARD_F"},               // 21: 021
    {0x47, 0x0006, "G",             0x0A, "IDS_KEYBOARD_G"},               // 22: 022
    {0x48, 0x0007, "H",             0x0B, "IDS_KEYBOARD_H"},               // 23: 023
    {0x4A, 0x0009, "J",             0x0D, "IDS_KEYBOARD_J"},               // 24: 024
    {0x4B, 0x000A, "K",             0x0E, "IDS_KEYBOARD_K"},               // 25: 025
    {0x4C, 0x000B, "L",             0x0F, "IDS_KEYBOARD_L"},               // 26: 026
    {0xBA, 0x002E, ";",             0x33, "IDS_KEYBOARD_SEM"},             // 27: 027
    {0xDE, 0x002F, "'",             0x34, "IDS_KEYBOARD_QUOT"},            // 28: 028
    {0xC0, 0x0030, "`",             0x35, "IDS_KEYBOARD_AID1"},            // 29: 029
    {0xA0, 0x0063, "Shift",         0xE1, "IDS_KEYBOARD_LSHIFT"},          // 2A: 02A
    {0xDC, 0x002D, "\\",            0x31, "IDS_KEYBOARD_AV"},              // 2B: 02B
    {0x5A, 0x0019, "Z",             0x1D, "IDS_KEYBOARD_Z"},               // 2C: 02C
    {0x58, 0x0017, "X",             0x1B, "IDS_KEYBOARD_X"},               // 2D: 02D
    {0x43, 0x0002, "C",             0x06, "IDS_KEYBOARD_C"},               // 2E: 02E
    {0x56, 0x0015, "V",             0x19, "IDS_KEYBOARD_V"},               // 2F: 02F
    {0x42, 0x0001, "B",             0x05, "IDS_KEYBOARD_B"},               // 30: 030
    {0x4E, 0x000D, "N",             0x11, "IDS_KEYBOARD_N"},               // 31: 031
    {0x4D, 0x000C, "M",             0x10, "IDS_KEYBOARD_M"},               // 32: 032
    {0xBC, 0x0031, ",",             0x36, "IDS_KEYBOARD_COMMA"},           // 33: 033
    {0xBE, 0x0032, ".",             0x37, "IDS_KEYBOARD_PER"},             // 34: 034
    {0xBF, 0x0033, "/",             0x38, "IDS_KEYBOARD_VIR"},             // 35: 035
    {0xA1, 0x0067, "Right Shift",   0xE5, "IDS_KEYBOARD_RSHIFT"},          // 36: 036
    {0x6A, 0x0051, "Num *",         0x55, "IDS_KEYBOARD_S_AST"},           // 37: 037
    {0xA4, 0x0064, "Alt",           0xE2, "IDS_KEYBOARD_LALT"},            // 38: 038
    {0x20, 0x0028, "Space",         0x2C, "IDS_KEYBOARD_SPACE"},           // 39: 039
    {0x14, 0x004E, "Caps Lock",     0x39, "IDS_KEYBOARD_CAPS"},            // 3A: 03A
    {0x70, 0x0034, "F1",            0x3A, "IDS_KEYBOARD_F1"},              // 3B: 03B
    {0x71, 0x0035, "F2",            0x3B, "IDS_KEYBOARD_F2"},              // 3C: 03C
    {0x72, 0x0036, "F3",            0x3C, "IDS_KEYBOARD_F3"},              // 3D: 03D
    {0x73, 0x0037, "F4",            0x3D, "IDS_KEYBOARD_F4"},              // 3E: 03E
    {0x74, 0x0038, "F5",            0x3E, "IDS_KEYBOARD_F5"},              // 3F: 03F
    {0x75, 0x0039, "F6",            0x3F, "IDS_KEYBOARD_F6"},              // 40: 040
    {0x76, 0x003A, "F7",            0x40, "IDS_KEYBOARD_F7"},              // 41: 041
    {0x77, 0x003B, "F8",            0x41, "IDS_KEYBOARD_F8"},              // 42: 042
    {0x78, 0x003C, "F9",            0x42, "IDS_KEYBOARD_F9"},              // 43: 043
    {0x79, 0x003D, "F10",           0x43, "IDS_KEYBOARD_F10"},             // 44: 044
    {0x13, 0x0041, "Pause",         0x48, "IDS_KEYBOARD_PAUSE"},           // 45: 045
    {0x91, 0x004D, "Scroll Lock",   0x47, "IDS_KEYBOARD_SCROLL"},          // 46: 046
    {0x67, 0x005B, "Num 7",         0x5F, "IDS_KEYBOARD_S_7"},             // 47: 047
    {0x68, 0x005C, "Num 8",         0x60, "IDS_KEYBOARD_S_8"},             // 48: 048
    {0x69, 0x005D, "Num 9",         0x61, "IDS_KEYBOARD_S_9"},             // 49: 049
    {0x6D, 0x0052, "Num -",         0x56, "IDS_KEYBOARD_S_MINUS"},         // 4A: 04A
    {0x64, 0x0058, "Num 4",         0x5C, "IDS_KEYBOARD_S_4"},             // 4B: 04B
    {0x65, 0x0059, "Num 5",         0x5D, "IDS_KEYBOARD_S_5"},             // 4C: 04C
    {0x66, 0x005A, "Num 6",         0x5E, "IDS_KEYBOARD_S_6"},             // 4D: 04D
    {0x6B, 0x0053, "Num +",         0x57, "IDS_KEYBOARD_S_PLUS"},          // 4E: 04E
    {0x61, 0x0055, "Num 1",         0x59, "IDS_KEYBOARD_S_1"},             // 4F: 04F
    {0x62, 0x0056, "Num 2",         0x5A, "IDS_KEYBOARD_S_2"},             // 50: 050
    {0x63, 0x0057, "Num 3",         0x5B, "IDS_KEYBOARD_S_3"},             // 51: 051
    {0x60, 0x005E, "Num 0",         0x62, "IDS_KEYBOARD_S_0"},             // 52: 052
    {0x6E, 0x005F, "Num .",         0x63, "IDS_KEYBOARD_S_DEL"},           // 53: 053
    {0x2C, 0x8012, "Sys Req",       0x00, "IDS_KEYBOARD_SYSREQ"},          // 54: 054
    {0x00, 0xFFFF, "",              0x00, ""},                             // 55: 055 empty
    {0xE2, 0x0060, "K45",           0x64, "IDS_KEYBOARD_K45"},             // 56: 056
    {0x7A, 0x003E, "F11",           0x44, "IDS_KEYBOARD_F11"},             // 57: 057
    {0x7B, 0x003F, "F12",           0x45, "IDS_KEYBOARD_F12"},             // 58: 058
    {0x00, 0xFFFF, "",              0x00, ""},                             // 59: 059 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5A: 05A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5B: 05B empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5C: 05C empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5D: 05D empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5E: 05E empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 5F: 05F empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 60: 060 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 61: 061 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 62: 062 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 63: 063 empty
    {0x7C, 0x802D, "F13",           0x00, ""},                             // 64: 064
    {0x00, 0xFFFF, "",              0x00, ""},                             // 65: 065 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 66: 066 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 67: 067 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 68: 068 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 69: 069 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6A: 06A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6B: 06B empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6C: 06C empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6D: 06D empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6E: 06E empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 6F: 06F empty
    {0xFF, 0x8018, "ROMA (133)",    0x88, "IDS_KEYBOARD_ROMA"},            // 70: 070
    {0xE9, 0x8019, "KL",            0x91, "IDS_KEYBOARD_KL"},              // 71: 071
    {0xFF, 0x801A, "KR",            0x90, "IDS_KEYBOARD_KR"},              // 72: 072
    {0xC1, 0x8014, "K56",           0x87, "IDS_KEYBOARD_K56"},             // 73: 073
    {0x00, 0xFFFF, "",              0x00, ""},                             // 74: 074 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 75: 075 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 76: 076 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 77: 077 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 78: 078 empty
    {0xFF, 0x8017, "CHG (132)",     0x8A, "IDS_KEYBOARD_CHG"},             // 79: 079
    {0x00, 0xFFFF, "",              0x00, ""},                             // 7A: 07A empty
    {0xEB, 0x8016, "N-CHG (131)",   0x8B, "IDS_KEYBOARD_N_CHG"},           // 7B: 07B
    {0x00, 0xFFFF, "",              0x00, ""},                             // 7C: 07C empty
    {0xFF, 0x8013, "K14",           0x89, "IDS_KEYBOARD_K14"},             // 7D: 07D
    {0xC2, 0x8015, "K107",          0x85, "IDS_KEYBOARD_K107"},            // 7E: 07E
    {0x00, 0xFFFF, "",              0x00, ""},                             // 7F: 07F empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 80: 100 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 81: 101 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 82: 102 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 83: 103 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 84: 104 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 85: 105 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 86: 106 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 87: 107 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 88: 108 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 89: 109 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8A: 10A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8B: 10B empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8C: 10C empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8D: 10D empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8E: 10E empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 8F: 10F empty
    {0xB1, 0x8021, "Prev Track",    0xD0, "MEDIA_PREV_TRACK_4"},           // 90: 110
    {0x00, 0xFFFF, "",              0x00, ""},                             // 91: 111 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 92: 112 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 93: 113 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 94: 114 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 95: 115 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 96: 116 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 97: 117 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 98: 118 empty
    {0xB0, 0x8022, "Next Track",    0xD1, "MEDIA_Next_TRACK_5"},           // 99: 119
    {0x00, 0xFFFF, "",              0x00, ""},                             // 9A: 11A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 9B: 11B empty
    {0x0D, 0x0054, "Num Enter",     0x58, "IDS_KEYBOARD_S_ENTER"},         // 9C: 11C
    {0xA3, 0x0066, "Right Ctrl",    0xE4, "IDS_KEYBOARD_RCTRL"},           // 9D: 11D
    {0x00, 0xFFFF, "",              0x00, ""},                             // 9E: 11E empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // 9F: 11F empty
    {0xAD, 0x8025, "Mute",          0xCD, "MEDIA_MUTE_8"},                 // A0: 120
    {0xB7, 0x801C, "Calc",          0xC4, "MEDIA_CALC_17"},                // A1: 121
    {0xB3, 0x801F, "Play/Pause",    0xCE, "MEDIA_PALY_PAUSE_2"},           // A2: 122
    {0x00, 0xFFFF, "",              0x00, ""},                             // A3: 123 empty
    {0xB2, 0x8020, "Stop Play",     0xCF, "MEDIA_STOP_PALY_3"},            // A4: 124
    {0x00, 0xFFFF, "",              0x00, ""},                             // A5: 125 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // A6: 126 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // A7: 127 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // A8: 128 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // A9: 129 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // AA: 12A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // AB: 12B empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // AC: 12C empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // AD: 12D empty
    {0xAE, 0x8024, "V-",            0xC1, "MEDIA_V_LOW_6"},                // AE: 12E
    {0x00, 0xFFFF, "",              0x00, ""},                             // AF: 12F empty
    {0xAF, 0x8023, "V+",            0xC0, "MEDIA_V_ADD_7"},                // B0: 130
    {0x00, 0xFFFF, "",              0x00, ""},                             // B1: 131 empty
    {0xAC, 0x8026, "WWW Home",      0xC7, "MEDIA_WWW_HOME_9"},             // B2: 132
    {0x00, 0xFFFF, "",              0x00, ""},                             // B3: 133 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // B4: 134 empty
    {0x6F, 0x0050, "Num /",         0x54, "IDS_KEYBOARD_S_VIR"},           // B5: 135
    {0xA1, 0x0067, "Right Shift",   0xE5, "IDS_KEYBOARD_RSHIFT"},          // B6: 136
    {0x2C, 0x0040, "Print Screen",  0x46, "IDS_KEYBOARD_PRINT"},           // B7: 137
    {0xA5, 0x0068, "Right Alt",     0xE6, "IDS_KEYBOARD_RALT"},            // B8: 138
    {0x00, 0xFFFF, "",              0x00, ""},                             // B9: 139 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BA: 13A empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BB: 13B empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BC: 13C empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BD: 13D empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BE: 13E empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // BF: 13F empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // C0: 140 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // C1: 141 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // C2: 142 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // C3: 143 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // C4: 144 empty
    {0x90, 0x004F, "Num Lock",      0x53, "IDS_KEYBOARD_NUM"},             // C5: 145
    {0x03, 0x0042, "Break",         0x48, "IDS_KEYBOARD_BREAK"},           // C6: 146
    {0x24, 0x0045, "Home",          0x4A, "IDS_KEYBOARD_HOME"},            // C7: 147
    {0x26, 0x0049, "↑",             0x52, "IDS_KEYBOARD_UP"},              // C8: 148
    {0x21, 0x0047, "Page Up",       0x4B, "IDS_KEYBOARD_PAGE_UP"},         // C9: 149
    {0x00, 0xFFFF, "",              0x00, ""},                             // CA: 14A empty
    {0x25, 0x004B, "←",             0x50, "IDS_KEYBOARD_LEFT"},            // CB: 14B
    {0x00, 0xFFFF, "",              0x00, ""},                             // CC: 14C empty
    {0x27, 0x004C, "→",             0x4F, "IDS_KEYBOARD_RIGHT"},           // CD: 14D
    {0x00, 0xFFFF, "",              0x00, ""},                             // CE: 14E empty
    {0x23, 0x0046, "End",           0x4D, "IDS_KEYBOARD_END"},             // CF: 14F
    {0x28, 0x004A, "↓",             0x51, "IDS_KEYBOARD_DOWN"},            // D0: 150
    {0x22, 0x0048, "Page Down",     0x4E, "IDS_KEYBOARD_PAGE_DOWN"},       // D1: 151
    {0x2D, 0x0043, "Insert",        0x49, "IDS_KEYBOARD_INSERT"},          // D2: 152
    {0x2E, 0x0044, "Delete",        0x4C, "IDS_KEYBOARD_DELETE"},          // D3: 153
    {0x00, 0xFFFF, "",              0x00, ""},                             // D4: 154 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // D5: 155 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // D6: 156 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // D7: 157 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // D8: 158 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // D9: 159 empty
    {0x00, 0xFFFF, "",              0x00, ""},                             // DA: 15A empty
    {0x5B, 0x0065, "Win",           0xE3, "IDS_KEYBOARD_LWIN"},            // DB: 15B
    {0x5C, 0x0069, "Right Win",     0xE7, "IDS_KEYBOARD_RWIN"},            // DC: 15C
    {0x5D, 0x0061, "App",           0x65, "IDS_KEYBOARD_APP"},             // DD: 15D
    {0xFF, 0x8001, "Power",         0x81, "IDS_KEYBOARD_POWER"},           // DE: 15E
    {0x5F, 0x8002, "Sleep",         0x82, "IDS_KEYBOARD_SLEEP"},           // DF: 15F
    {0x00, 0xFFFF, "",              0x00, ""},                             // E0: 160 empty
    {0xD1, 0x006D, "Roll Up",       0xF4, "IDS_KEYBOARD_ROLL_UP"},         // E1: 161
    {0xD2, 0x006E, "Roll Down",     0xF5, "IDS_KEYBOARD_ROLL_DOWN"},       // E2: 162
    {0xFF, 0x8003, "Wake",          0x83, "IDS_KEYBOARD_WAKE"},            // E3: 163
    {0x00, 0xFFFF, "",              0x00, ""},                             // E4: 164 empty
    {0xAA, 0x802C, "WWW Search",    0xC6, "MEDIA_WWW_SEARCH_15"},          // E5: 165
    {0xAB, 0x802B, "WWW Favorite",  0xCC, "MEDIA_WWW_FAVORITE_14"},        // E6: 166
    {0xA8, 0x8027, "WWW Refresh",   0xCB, "MEDIA_WWW_REFRESH_10"},         // E7: 167
    {0xA9, 0x8028, "WWW Stop",      0xCA, "MEDIA_WWW_STOP_11"},            // E8: 168
    {0xA7, 0x802A, "WWW Forward",   0xC9, "MEDIA_WWW_FORWARD_13"},         // E9: 169
    {0xA6, 0x8029, "WWW Back",      0xC8, "MEDIA_WWW_BACK_12"},            // EA: 16A
    {0xB6, 0x801B, "My PC",         0xC5, "MEDIA_MY_PC_16"},               // EB: 16B
    {0xB4, 0x801D, "Mail",          0xC3, "MEDIA_MAIL_18"},                // EC: 16C
    {0xB5, 0x801E, "Media Player",  0xC2, "MEDIA_PALYER_1"},               // ED: 16D
    {0x88, 0x8005, "Pan Left",      0x00, "IDS_KEYBOARD_MOU_PANLEFT"},     // EE: 16E
    {0x89, 0x8006, "Pan Right",     0x00, "IDS_KEYBOARD_MOU_PANRIGHT"},    // EF: 16F
    {0x8A, 0x8004, "Double Click",  0x00, "IDS_KEYBOARD_MOU_DBCLICK"},     // F0: 170
    {0x01, 0x006A, "Left Button",   0xF1, "IDS_KEYBOARD_MOU_LEFT"},        // F1: 171
    {0x02, 0x006B, "Right Button",  0xF2, "IDS_KEYBOARD_MOU_RIGHT"},       // F2: 172
    {0x04, 0x006C, "Middle Button", 0xF3, "IDS_KEYBOARD_MOU_MIDDLE"},      // F3: 173
    {0x8B, 0x8007, "Zoom-",         0xD2, "IDS_KEYBOARD_FUNC_ZOOMOUT"},    // F4: 174
    {0x8C, 0x8008, "Zoom+",         0xD3, "IDS_KEYBOARD_FUNC_ZOOMIN"},     // F5: 175
    {0x97, 0x8009, "Copy",          0x00, "IDS_KEYBOARD_FUNC_COPY"},       // F6: 176
    {0x98, 0x800A, "Cut",           0x00, "IDS_KEYBOARD_FUNC_CUT"},        // F7: 177
    {0x99, 0x800B, "Paste",         0x00, "IDS_KEYBOARD_FUNC_PASTE"},      // F8: 178
    {0x9A, 0x800C, "Minimize",      0x00, "IDS_KEYBOARD_FUNC_MINI"},       // F9: 179
    {0x9B, 0x800D, "Maximize",      0x00, "IDS_KEYBOARD_FUNC_MAXI"},       // FA: 17A
    {0x9C, 0x800E, "Word",          0xD4, "IDS_KEYBOARD_FUNC_WORD"},       // FB: 17B
    {0x9D, 0x800F, "Excel",         0xD5, "IDS_KEYBOARD_FUNC_EXCEL"},      // FC: 17C
    {0x9E, 0x8010, "PowerPoint",    0x00, "IDS_KEYBOARD_FUNC_POWERPOINT"}, // FD: 17D
    {0x9F, 0x8011, "Calendar",      0x00, "IDS_KEYBOARD_FUNC_CALENDAR"},   // FE: 17E
    {0x00, 0xFFFF, "",              0x00, ""},                             // FF: 17F empty
};
// clang-format on

constexpr std::array<uint16_t, kConsumerTableSize> kConsumerTable = {
    0x00E9, // volume up
    0x00EA, // volume down
    0x0183, // media player
    0x018A, // mail
    0x0192, // calculator
    0x0194, // my computer
    0x0221, // browser search
    0x0223, // browser home
    0x0224, // browser back
    0x0225, // browser forward
    0x0226, // browser stop
    0x0227, // browser refresh
    0x022A, // browser favourites
    0x00E2, // mute
    0x00CD, // play/pause
    0x00B7, // stop
    0x00B6, // previous track
    0x00B5, // next track
};
// Positions 18..31 are unused; only these may match a usage.
constexpr int kConsumerTableFilled = 18;

struct VkException {
    uint8_t vk;
    KeyCode code;
};

// Virtual keys that do not simply mean the first record carrying them: the
// generic modifiers mean the left key, 0x2C means Print Screen rather than
// Sys Req, mouse buttons and function items are no keyboard events, and the
// remaining items are found by the key they stand for.
constexpr VkException kVkExceptions[] = {
    {0x10, 0x02A}, {0x11, 0x01D}, {0x12, 0x038}, {0x2C, 0x137}, {0x01, 0}, {0x02, 0},
    {0x04, 0},     {0x88, 0},     {0x89, 0},     {0x8A, 0},     {0x97, 0}, {0x98, 0},
    {0x99, 0},     {0x9A, 0},     {0x9B, 0},     {0x9E, 0},     {0x9F, 0}, {0xFF, 0},
    {0x8B, 0x152}, {0x8C, 0x153}, {0x9C, 0x154}, {0x9D, 0x155},
};

constexpr std::array<KeyCode, 256> BuildVkTable() {
    std::array<KeyCode, 256> table{};
    std::array<bool, 256> taken{};
    for (int index = 0; index < kKeyTableSize; ++index) {
        const KeyRecord& r = kKeyTable[index];
        if (r.listCode == kEmptyListCode || taken[r.virtualKey])
            continue;
        taken[r.virtualKey] = true;
        table[r.virtualKey] = KeyCodeOf(index);
    }
    for (const VkException& e : kVkExceptions)
        table[e.vk] = e.code;
    return table;
}

constexpr std::array<KeyCode, 256> kVkTable = BuildVkTable();

constexpr KeyRecord kNoRecord = {0x00, kEmptyListCode, "", 0x00, ""};

constexpr KeyCode kAltPrintScreen = 0x054;
constexpr KeyCode kPrintScreen = 0x137;
constexpr KeyCode kBreak = 0x146;
constexpr KeyCode kPause = 0x045;
constexpr KeyCode kFakeShift = 0x136;
constexpr KeyCode kRightShift = 0x036;
constexpr KeyCode kNumLock = 0x145;

// Device byte of a usage, 0 when the usage has none.
uint8_t DeviceByteOfUsage(uint16_t page, uint16_t usage) {
    switch (page) {
    case kUsagePageKeyboard:
        return usage <= 0xFF ? static_cast<uint8_t>(usage) : 0;
    case kUsagePageGenericDesktop:
        return usage >= 0x81 && usage <= 0x83 ? static_cast<uint8_t>(usage) : 0;
    case kUsagePageConsumer:
        // An unknown usage has no key; it must not fall on position 0
        // (volume up) or on the zero fill of the unused positions.
        for (int p = 0; p < kConsumerTableFilled; ++p) {
            if (kConsumerTable[p] == usage)
                return static_cast<uint8_t>(0xC0 + p);
        }
        return 0;
    default:
        return 0;
    }
}

} // namespace

std::span<const KeyRecord, kKeyTableSize> KeyTable() {
    return std::span<const KeyRecord, kKeyTableSize>(kKeyTable);
}

std::span<const uint16_t, kConsumerTableSize> ConsumerTable() {
    return kConsumerTable;
}

std::span<const KeyCode, 256> VkTable() {
    return kVkTable;
}

const KeyRecord& KeyRecordOf(uint32_t code) {
    // Values read from files reach here unchecked; only codes below the G
    // keys name a slot.
    if (code >= kGKeyCodeBase)
        return kNoRecord;
    return kKeyTable[KeyIndexOf(code)];
}

KeyCode KeyCodeOfListCode(uint16_t listCode) {
    if (listCode == kEmptyListCode)
        return kNoKey;
    for (int index = 0; index < kKeyTableSize; ++index) {
        if (kKeyTable[index].listCode == listCode)
            return KeyCodeOf(index);
    }
    return kNoKey;
}

uint16_t ListCodeOf(uint32_t code) {
    return KeyRecordOf(code).listCode;
}

DeviceForm DeviceFormOf(uint32_t code) {
    const uint8_t b = KeyRecordOf(code).deviceByte;
    if (b == 0x00 || b == 0xFF)
        return {DeviceClass::None, 0};
    if (b >= 0x81 && b <= 0x83)
        return {DeviceClass::System, b};
    if (b >= 0xF1 && b <= 0xF8)
        return {DeviceClass::Mouse, b};
    return {DeviceClass::Keyboard, b};
}

KeyCode KeyCodeOfUsage(uint16_t page, uint16_t usage) {
    const uint8_t b = DeviceByteOfUsage(page, usage);
    if (b == 0)
        return kNoKey;
    for (int index = 0; index < kKeyTableSize; ++index) {
        if (kKeyTable[index].deviceByte == b)
            return KeyCodeOf(index);
    }
    return kNoKey;
}

KeyCode KeyCodeOfVk(uint32_t vk) {
    return vk < kVkTable.size() ? kVkTable[vk] : kNoKey;
}

KeyCode KeyCodeFromEvent(uint32_t vk, uint32_t data) {
    const auto s = static_cast<KeyCode>((data >> kKeyDataScanShift) & 0x1FF);
    KeyCode code = s;
    if (vk != 0xFF && (s & 0xFF) == 0)
        code = KeyCodeOfVk(vk);
    switch (code) {
    case kBreak:
        return kPause;
    case kAltPrintScreen:
        return kPrintScreen;
    case kFakeShift:
        return kRightShift;
    default:
        return code;
    }
}

bool NeedsSyntheticPress(uint32_t code) {
    return code == 0x054 || code == 0x071 || code == 0x072 || code == 0x137;
}

DriverForm DriverFormOf(uint32_t code, bool release) {
    const uint16_t r = release ? kDriverBreak : 0;
    if (code == kNumLock)
        return {0x45, r};
    if (code == kPause)
        return {0x1D, static_cast<uint16_t>(r | kDriverE1)};
    if (code & 0x100)
        return {static_cast<uint16_t>(code & 0xFF), static_cast<uint16_t>(r | kDriverE0)};
    return {static_cast<uint16_t>(code), r};
}

} // namespace velkarn
