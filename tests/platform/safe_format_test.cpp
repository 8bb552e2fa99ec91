#include "platform/safe_format.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

TEST(SafeFormat, SubstitutesOnlyOneMatchingConversion) {
    const struct {
        const char* format;
        int64_t value;
        const char* expected;
    } ints[] = {
        {"Unknown key %d", 300, "Unknown key 300"},
        {"0x%04X", 0x1A, "0x001A"},
        {"%-5d|", 7, "7    |"},
        {"%u", -1, "4294967295"},
        {"%hd", 70000, "4464"},
        {"%lld", 5000000000LL, "5000000000"},
        {"100%% of %i", 3, "100% of 3"},
        {"no conversion 50%%", 1, "no conversion 50%"},
        {"two %d %d", 1, "two %d %d"},
        {"wrong kind %s", 1, "wrong kind %s"},
        {"writes %n", 1, "writes %n"},
        {"star %*d", 1, "star %*d"},
        {"huge %999999999d", 1, "huge %999999999d"},
        {"dangling %", 1, "dangling %"},
        {"float %f", 1, "float %f"},
        {"mixed %d and %%s %s", 1, "mixed %d and %s %s"},
    };
    for (const auto& c : ints)
        EXPECT_EQ(FormatInt(c.format, c.value), c.expected) << c.format;

    const struct {
        const char* format;
        const char* value;
        const char* expected;
    } strings[] = {
        {"Cannot read %s.", "/home/u/a.fwc", "Cannot read /home/u/a.fwc."},
        {"[%ls]", "x", "[x]"},
        {"[%S]", "x", "[x]"},
        {"[%5s]", "ab", "[   ab]"},
        {"[%-4s]", "ab", "[ab  ]"},
        {"[%.2s]", "\xC3\xA4\xC3\xB6\xC3\xBC", "[\xC3\xA4\xC3\xB6]"},
        {"%d items", "x", "%d items"},
        {"%s and %s", "x", "%s and %s"},
        {"%s%%", "50", "50%"},
        {"%hs", "x", "%hs"},
    };
    for (const auto& c : strings)
        EXPECT_EQ(FormatString(c.format, c.value), c.expected) << c.format;
}

TEST(SafeFormat, ArgumentTextIsNeverInterpreted) {
    EXPECT_EQ(FormatString("File %s", "%s%n%d"), "File %s%n%d");
}

} // namespace
} // namespace velkarn
