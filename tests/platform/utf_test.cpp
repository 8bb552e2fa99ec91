#include "platform/utf.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

TEST(Utf, ConvertsBothWaysAndReplacesWhatIsMalformed) {
    struct Case {
        const char* name;
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"ascii", "Macro 1", u"Macro 1"},
        {"two, three and four bytes", "\xC3\xA9\xE2\x86\x91\xF0\x9F\x8E\xB9", u"\u00E9\u2191\U0001F3B9"},
        {"Latin-1 byte before the end keeps the rest", "caf\xE9!", u"caf\uFFFD!"},
        {"sequence cut by the end", "ab\xE2\x86", u"ab\uFFFD\uFFFD"},
        {"stray continuation byte", "a\x80z", u"a\uFFFDz"},
        {"overlong encoding", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80x", u"\uFFFD\uFFFD\uFFFDx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.name;

    EXPECT_EQ(Utf16ToUtf8(u"\u00E9\u2191\U0001F3B9"), "\xC3\xA9\xE2\x86\x91\xF0\x9F\x8E\xB9");
    const char16_t loneHigh[] = {u'a', 0xD83C, u'b', 0};
    EXPECT_EQ(Utf16ToUtf8(loneHigh), "a\xEF\xBF\xBD" "b");
}

} // namespace
} // namespace velkarn
