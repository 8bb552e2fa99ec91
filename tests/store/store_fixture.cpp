#include "store_fixture.h"

#include "app/path_table.h"
#include "platform/paths.h"
#include "store/profile_file.h"

#include <algorithm>
#include <sys/stat.h>

namespace velkarn::test {

FakeKeyboard::FakeKeyboard() : macroArea(4096, 0) {
    status[kStatusMacroUnits] = 32; // 4096 bytes of macro memory
}

int FakeKeyboard::Answer(const std::string& name, int bankNumber, size_t bytes) {
    log.push_back({name, bankNumber, bytes});
    if (!present)
        return 0;
    return name == failCommand ? -2 : 1;
}

int FakeKeyboard::ReadStatus(std::span<uint8_t, kDeviceStatusSize> out) {
    const int result = Answer("ReadStatus", -1, out.size());
    if (result == 1)
        std::copy(status.begin(), status.end(), out.begin());
    return result;
}

int FakeKeyboard::ReadKeyMap(std::span<uint8_t, kKeyMapBankSize> map, int bankNumber) {
    if (bankNumber < 0 || bankNumber >= 3)
        return -201;
    const int result = Answer("ReadKeyMap", bankNumber, map.size());
    if (result == 1)
        std::copy(banks[bankNumber].begin(), banks[bankNumber].end(), map.begin());
    return result;
}

int FakeKeyboard::WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize> map, int bankNumber) {
    if (bankNumber < 0 || bankNumber >= 3)
        return -201;
    const int result = Answer("WriteKeyMap", bankNumber, map.size());
    if (result == 1)
        std::copy(map.begin(), map.end(), banks[bankNumber].begin());
    return result;
}

int FakeKeyboard::ReadMacroArea(std::span<uint8_t> bytes) {
    if (bytes.empty())
        return 1;
    const int result = Answer("ReadMacroArea", -1, bytes.size());
    if (result == 1) {
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = i < macroArea.size() ? macroArea[i] : 0;
    }
    return result;
}

int FakeKeyboard::WriteMacroArea(std::span<const uint8_t> bytes) {
    if (bytes.empty())
        return 1;
    const int result = Answer("WriteMacroArea", -1, bytes.size());
    if (result == 1) {
        lastMacroWrite.assign(bytes.begin(), bytes.end());
        std::copy_n(bytes.begin(), std::min(bytes.size(), macroArea.size()), macroArea.begin());
    }
    return result;
}

int FakeKeyboard::BeginUpdate() {
    return Answer("BeginUpdate", -1, 0);
}

int FakeKeyboard::EndUpdate() {
    return Answer("EndUpdate", -1, 0);
}

int FakeKeyboard::ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset) {
    const int result = Answer("ReadLightingTable", -1, static_cast<size_t>(n));
    if (result == 1) {
        std::fill(out.begin(), out.end(), uint8_t{0});
        for (int i = 0; i < n && offset + i < static_cast<int>(lighting.size()); ++i)
            out[static_cast<size_t>(i)] = lighting[static_cast<size_t>(offset + i)];
    }
    return result;
}

std::vector<std::string> FakeKeyboard::Names() const {
    std::vector<std::string> names;
    for (const auto& command : log)
        names.push_back(command.bank >= 0 ? command.name + "(" + std::to_string(command.bank) + ")"
                                          : command.name);
    return names;
}

MacroRecord MakeMacro(uint16_t id, int actions, std::u16string_view name) {
    MacroRecord macro;
    macro.SetId(id);
    macro.SetCycleCount(1);
    macro.SetName(name);
    for (int i = 0; i < actions; ++i)
        macro.AppendAction(MacroAction{10, 0x1E, static_cast<uint16_t>(i % 2)});
    return macro;
}

namespace {

constexpr const char* kLanguageFile = "[TEXT]\n"
                                      "PROFILE_FORMAT_ERROR=PROFILE_FORMAT_ERROR %s\n"
                                      "MAIN_PROMPT_INPORT=MAIN_PROMPT_INPORT\n"
                                      "EXTRA_MACRO_TOO_LONG=EXTRA_MACRO_TOO_LONG\n"
                                      "EXTRA_PROFILE_SPACE_TIGHT=EXTRA_PROFILE_SPACE_TIGHT\n"
                                      "MACRO_NEW_PREFIX=Macro\n";

constexpr const char* kShippedUserModes =
    "[PRESENTMODE]\nmode=2\n[MODENAME]\n0=Shipped\n[Mode0]\n7=1,2,3,0\n";

} // namespace

StoreTest::StoreTest() {
    m_program.Write("Lang0409.ini", kLanguageFile);
    m_program.Write("Skins/UserDengColor_3.userd", kShippedUserModes);
    m_program.Write("Skins/Main.ini", "[SCREEN]\nLink=https://skin.example.org/\n");
    SetAppPaths(PathTable::FromFolder(m_program.Path()));
    m_store = std::make_unique<ProfileStore>(m_keyboard);
    m_store->SetKeyView(&m_view);
}

StoreTest::~StoreTest() {
    SetAppPaths(PathTable::FromFolder(VELKARN_BIN_DIR));
}

std::string StoreTest::DataFolderPath() const {
    return JoinPath(m_sandbox.DataHome(), "Ferrowyn Driver");
}

std::string StoreTest::StoreFilePath() const {
    return JoinPath(DataFolderPath(), "$Profile0");
}

void StoreTest::CreateStoreFile() {
    EnsureDataFolder();
    ASSERT_TRUE(WriteWholeFile(StoreFilePath(), ""));
}

std::string Shown(std::string_view kind, std::string_view text) {
    return std::string(kind) + ":" + std::string(text);
}

} // namespace velkarn::test
