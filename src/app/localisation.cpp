#include "app/localisation.h"

#include "app/language_ids.h"
#include "app/path_table.h"
#include "app/settings_key.h"
#include "platform/ini_file.h"
#include "platform/registry_file.h"
#include "platform/text_decode.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace velkarn {
namespace {

// Only the first three slots take part in searches; a zero slot never matches.
constexpr std::array<uint32_t, 4> kSupportedLanguages = {0x0409, 0, 0, 0};
constexpr int kSearchedSlots = 3;

constexpr std::array<uint32_t, 12> kEnglishVariants = {0x0C04, 0x1004, 0x0809, 0x0C09, 0x1009, 0x1409,
                                                       0x1809, 0x1C09, 0x2009, 0x2409, 0x2809, 0x2C09};

constexpr std::string_view kLanguageValue = "dwLanguageId";
constexpr size_t kTextCapacity = 260;
constexpr std::string_view kMissingText = "#Error";

struct LocaleEntry {
    std::string_view name; // "ll" for the language's main id, "ll_TT" for a territory
    uint32_t langId;
};

// Windows LANGIDs of the locales a user of the product is likely to run.
constexpr LocaleEntry kLocales[] = {
    {"en", 0x0409},    {"en_us", 0x0409}, {"en_gb", 0x0809}, {"en_au", 0x0C09}, {"en_ca", 0x1009},
    {"en_nz", 0x1409}, {"en_ie", 0x1809}, {"en_za", 0x1C09}, {"en_jm", 0x2009}, {"en_ag", 0x2409},
    {"en_bz", 0x2809}, {"en_tt", 0x2C09}, {"en_zw", 0x3009}, {"en_ph", 0x3409}, {"en_in", 0x4009},
    {"en_my", 0x4409}, {"en_sg", 0x4809}, {"zh", 0x0804},    {"zh_cn", 0x0804}, {"zh_tw", 0x0404},
    {"zh_hk", 0x0C04}, {"zh_sg", 0x1004}, {"zh_mo", 0x1404}, {"ja", 0x0411},    {"ko", 0x0412},
    {"de", 0x0407},    {"de_ch", 0x0807}, {"de_at", 0x0C07}, {"de_lu", 0x1007}, {"de_li", 0x1407},
    {"fr", 0x040C},    {"fr_be", 0x080C}, {"fr_ca", 0x0C0C}, {"fr_ch", 0x100C}, {"fr_lu", 0x140C},
    {"es", 0x0C0A},    {"es_mx", 0x080A}, {"es_ar", 0x2C0A}, {"es_co", 0x240A}, {"es_cl", 0x340A},
    {"es_us", 0x540A}, {"it", 0x0410},    {"it_ch", 0x0810}, {"pt", 0x0816},    {"pt_br", 0x0416},
    {"nl", 0x0413},    {"nl_be", 0x0813}, {"ru", 0x0419},    {"uk", 0x0422},    {"be", 0x0423},
    {"pl", 0x0415},    {"cs", 0x0405},    {"sk", 0x041B},    {"hu", 0x040E},    {"ro", 0x0418},
    {"bg", 0x0402},    {"el", 0x0408},    {"tr", 0x041F},    {"sv", 0x041D},    {"sv_fi", 0x081D},
    {"da", 0x0406},    {"nb", 0x0414},    {"no", 0x0414},    {"nn", 0x0814},    {"fi", 0x040B},
    {"et", 0x0425},    {"lv", 0x0426},    {"lt", 0x0427},    {"sl", 0x0424},    {"hr", 0x041A},
    {"sr", 0x281A},    {"bs", 0x141A},    {"mk", 0x042F},    {"sq", 0x041C},    {"ca", 0x0403},
    {"eu", 0x042D},    {"gl", 0x0456},    {"is", 0x040F},    {"ga", 0x083C},    {"mt", 0x043A},
    {"he", 0x040D},    {"ar", 0x0401},    {"ar_eg", 0x0C01}, {"fa", 0x0429},    {"hi", 0x0439},
    {"bn", 0x0445},    {"ta", 0x0449},    {"ur", 0x0420},    {"th", 0x041E},    {"vi", 0x042A},
    {"id", 0x0421},    {"ms", 0x043E},    {"fil", 0x0464},   {"kk", 0x043F},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<uint32_t> LookUpLocale(std::string_view name) {
    for (const LocaleEntry& e : kLocales)
        if (e.name == name)
            return e.langId;
    return std::nullopt;
}

std::string LoadFromSection(std::string_view section, std::string_view key, int index) {
    const IniText read =
        GetPrivateProfileString(section, key, kMissingText, kTextCapacity, LanguageFilePath(index));
    return read.length != 0 ? read.text : std::string();
}

} // namespace

uint32_t LanguageIdFromLocale(std::string_view locale) {
    std::string name = Lower(locale.substr(0, locale.find_first_of(".@")));
    for (char& c : name)
        if (c == '-')
            c = '_';
    if (name.empty() || name == "c" || name == "posix")
        return kLangEnglishUs;
    if (const auto exact = LookUpLocale(name))
        return *exact;
    if (const auto language = LookUpLocale(name.substr(0, name.find('_'))))
        return *language;
    return kLangEnglishUs;
}

uint32_t SystemDefaultLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0')
            return LanguageIdFromLocale(value);
    }
    return kLangEnglishUs;
}

uint32_t MapEnglishVariant(uint32_t langId) {
    for (const uint32_t variant : kEnglishVariants)
        if (variant == langId)
            return kLangEnglishUs;
    return langId;
}

std::string LanguageFilePath(int index) {
    const uint32_t slot =
        (index >= 0 && index <= 3) ? kSupportedLanguages[static_cast<size_t>(index)] : kSupportedLanguages[0];
    char name[32];
    std::snprintf(name, sizeof name, "Lang%04X.ini", static_cast<unsigned>(slot & 0xFFFF));
    return AppPaths().baseDirectory + name;
}

uint32_t GetLanguageId() {
    RegistryFile registry = RegistryFile::User();
    auto stored = registry.ReadDword(kSettingsKeyPath, kLanguageValue);
    if (!stored) {
        registry.WriteDword(kSettingsKeyPath, kLanguageValue, 0);
        stored = 0;
    }
    if (*stored != 0)
        return *stored;

    const uint32_t system = MapEnglishVariant(SystemDefaultLanguageId());
    uint32_t chosen = kLangEnglishUs;
    for (int i = 0; i < kSearchedSlots; ++i)
        if (kSupportedLanguages[static_cast<size_t>(i)] != 0 &&
            kSupportedLanguages[static_cast<size_t>(i)] == system)
            chosen = system;
    registry.WriteDword(kSettingsKeyPath, kLanguageValue, chosen);
    return chosen;
}

int GetLanguageIndex() {
    const uint32_t id = GetLanguageId();
    for (int i = 0; i < kSearchedSlots; ++i)
        if (kSupportedLanguages[static_cast<size_t>(i)] != 0 &&
            kSupportedLanguages[static_cast<size_t>(i)] == id)
            return i;
    return 0;
}

std::string LoadText(std::string_view key, int index) {
    return LoadFromSection("TEXT", key, index);
}
std::string LoadLightText(std::string_view key, int index) {
    return LoadFromSection("LIGHT", key, index);
}
std::string LoadModeText(std::string_view key, int index) {
    return LoadFromSection("MODE", key, index);
}

std::string Text(std::string_view key) {
    return LoadText(key, GetLanguageIndex());
}

} // namespace velkarn
