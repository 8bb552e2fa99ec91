// The main window's fixed vocabulary: its custom window messages and the
// four-letter tags they carry, its timers and its command ids.
//
// Other threads (the presence worker, the service-library callback, the
// instance socket of a second copy) reach the main window only through these
// messages, and another program may send them too, so the numbers are fixed
// and never registered. Constants only; usable from any thread.
#pragma once

#include "app/startup.h" // kMsgOpen, kTagOpen, kMsgKill, kTagKill

#include <cstdint>

namespace velkarn {

// Four ASCII letters read as a big-endian number: Tag("INIT") == 0x494E4954.
constexpr uint32_t Tag(const char (&text)[5]) {
    return (static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<uint32_t>(static_cast<unsigned char>(text[3]));
}

// Custom messages: the number and, where the message carries one, the tag
// its first parameter must hold. A message whose tag does not match is
// dropped without effect (result 0).
constexpr uint32_t kMsgInit = 0x4D4E;
constexpr uint32_t kTagInit = 0x494E4954; // "INIT"
constexpr uint32_t kMsgProf = 0x5452;
constexpr uint32_t kTagProf = 0x50524F46;      // "PROF"
constexpr uint32_t kMsgCloseChildren = 0x4753; // removal; no tag
constexpr uint32_t kMsgLed = 0x5045;
constexpr uint32_t kTagLed = 0x004C4544; // "LED" after a zero byte
constexpr uint32_t kMsgLang = 0x5041;
constexpr uint32_t kTagLang = 0x4C414E47; // "LANG"
constexpr uint32_t kMsgSlider = 0x28D1;   // a skinned slider moved; no tag
// A command from outside (another program of the keyboard, over the instance
// socket): wParam's low 16 bits are the command id. Only the commands meant
// to be accepted from any sender (Exit 32779, the update dialog 32780) act.
constexpr uint32_t kMsgCommand = 0x0111;

static_assert(Tag("INIT") == kTagInit && Tag("PROF") == kTagProf && Tag("OPEN") == kTagOpen);
static_assert(Tag("LLIK") == kTagKill); // "KILL" as its bytes arrive
static_assert(Tag("LANG") == kTagLang);

// Timers of the main window.
constexpr int kTimerProgress = 1050;       // Apply's progress animation
constexpr int kTimerLightingReread = 1051; // armed with 0 ms by the callback
constexpr int kTimerPreview = 1052;        // 100 ms first, then 50 ms
constexpr int kPreviewFirstMs = 100;
constexpr int kPreviewPeriodMs = 50;

// The marker a second copy looks for ("MAIN").
constexpr uint32_t kMainWindowMarker = 0x4D41494E;

// Command ids outside the key and lighting controls.
namespace cmd {
constexpr int kOk = 1;
constexpr int kCancel = 2;
constexpr int kProfiles = 1005;
constexpr int kApply = 1006;
constexpr int kMacro = 1007;
constexpr int kTest = 1008;
constexpr int kDynamicMenu = 1009;
constexpr int kLink = 1121;
constexpr int kHelp = 1122;
constexpr int kMinimize = 1123;
constexpr int kClose = 1124;
constexpr int kButtonMenu = 1139;
constexpr int kSwitch = 1144;
constexpr int kWebLink1 = 1219;
constexpr int kWebLink2 = 1220;
constexpr int kWebLink3 = 1221;
constexpr int kTrayOpen = 32771;
constexpr int kTrayAbout = 32773;
constexpr int kTrayExit = 32774;
constexpr int kImport = 32776;
constexpr int kExport = 32777;
constexpr int kExit = 32779;
constexpr int kUpdate = 32780;
constexpr int kProfileMenuFirst = 9000;
constexpr int kProfileMenuLast = 9200;
} // namespace cmd

// Whether (message, wParam) is one of the tagged messages with the right tag,
// or one of the untagged ones. Unknown numbers are not ours: false.
constexpr bool TagMatches(uint32_t message, uint32_t wParam) {
    switch (message) {
    case kMsgInit:
        return wParam == kTagInit;
    case kMsgProf:
        return wParam == kTagProf;
    case kMsgOpen:
        return wParam == kTagOpen;
    case kMsgKill:
        return wParam == kTagKill;
    case kMsgLed:
        return wParam == kTagLed;
    case kMsgLang:
        return wParam == kTagLang;
    case kMsgCloseChildren:
    case kMsgSlider:
        return true;
    case kMsgCommand:
        return (wParam & 0xFFFF) == 32779 || (wParam & 0xFFFF) == 32780;
    default:
        return false;
    }
}

// Whether another program may send (message, wParam) over the instance
// socket: only "OPEN", "KILL" and the commands meant for any sender. The
// rest drive the window's own start-up and device handling and stay inside.
constexpr bool AcceptedFromOutside(uint32_t message, uint32_t wParam) {
    switch (message) {
    case kMsgOpen:
    case kMsgKill:
    case kMsgCommand:
        return TagMatches(message, wParam);
    default:
        return false;
    }
}

} // namespace velkarn
