// The localised names of the key table. Kept apart from the constant tables
// so that code using only the tables does not pull in the language lookup.
#include "app/localisation.h"
#include "model/key_table.h"
#include "platform/safe_format.h"
#include "platform/utf.h"

namespace velkarn {

std::string CutToNameCapacity(std::string_view text) {
    constexpr size_t kMax = kKeyNameCapacity - 1;
    if (text.size() <= kMax)
        return std::string(text); // fewer bytes than characters allowed
    std::u16string wide = Utf8ToUtf16(text);
    if (wide.size() <= kMax)
        return std::string(text);
    wide.resize(kMax);
    if (wide.back() >= 0xD800 && wide.back() <= 0xDBFF)
        wide.pop_back();
    return Utf16ToUtf8(wide);
}

std::string KeyName(uint32_t code) {
    const KeyRecord& record = KeyRecordOf(code);
    std::string name;
    if (*record.languageKey != '\0')
        name = Text(record.languageKey);
    if (name.empty())
        name = FormatInt(Text("UNKNOWN_KEY"), static_cast<uint16_t>(code));
    return CutToNameCapacity(name);
}

std::string ListName(uint16_t listCode) {
    const KeyCode code = KeyCodeOfListCode(listCode);
    if (code == kNoKey)
        return {};
    const KeyRecord& record = KeyRecordOf(code);
    if (*record.languageKey == '\0')
        return {};
    return Text(record.languageKey);
}

} // namespace velkarn
