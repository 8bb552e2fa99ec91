#include "platform/ini_file.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkarn {
namespace {

using test::TempDir;

std::string Utf16File(std::u16string_view text, bool little) {
    std::string bytes = little ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
    for (const char16_t c : text) {
        const char lo = static_cast<char>(c & 0xFF);
        const char hi = static_cast<char>(c >> 8);
        bytes += little ? lo : hi;
        bytes += little ? hi : lo;
    }
    return bytes;
}

struct ReadCase {
    const char* name;
    std::string file; // empty: no file at all
    const char* section;
    const char* key;
    const char* defaultValue;
    size_t capacity;
    std::string expected;
    size_t expectedLength;
};

TEST(IniRead, FollowsPrivateProfileRules) {
    const std::string basic = "[Screen]\nLink = http://example.test/a \nEmpty=\nQuoted=\"  spaced  \"\n"
                              "Single='x'\nHalf=\"open\nBare\n[Other]\nLink=second\n[screen]\nLate=1\n";
    const ReadCase cases[] = {
        {"missing file", "", "S", "k", "dflt", 260, "dflt", 4},
        {"missing section", basic, "Nope", "Link", "d", 260, "d", 1},
        {"missing key", basic, "Screen", "Nope", "d", 260, "d", 1},
        {"default trailing blanks dropped", basic, "Screen", "Nope", "d  ", 260, "d", 1},
        {"blanks trimmed", basic, "Screen", "Link", "", 260, "http://example.test/a", 21},
        {"case-insensitive names", basic, "SCREEN", "link", "", 260, "http://example.test/a", 21},
        {"blanks around names", basic, " Screen ", " Link ", "", 260, "http://example.test/a", 21},
        {"empty value is not the default", basic, "Screen", "Empty", "#Error", 260, "", 0},
        {"double quotes stripped once", basic, "Screen", "Quoted", "", 260, "  spaced  ", 10},
        {"single quotes stripped", basic, "Screen", "Single", "", 260, "x", 1},
        {"unbalanced quote kept", basic, "Screen", "Half", "", 260, "\"open", 5},
        {"key without '=' reads empty", basic, "Screen", "Bare", "d", 260, "", 0},
        {"second section of same name searched", basic, "Screen", "Late", "", 260, "1", 1},
        {"cut to capacity - 1", basic, "Screen", "Link", "", 5, "http", 4},
        {"capacity 1", basic, "Screen", "Link", "", 1, "", 0},
        {"capacity 0", basic, "Screen", "Link", "dflt", 0, "", 0},
        {"default cut too", "", "S", "k", "abcdef", 3, "ab", 2},
        {"cut counts UTF-16 units", "[S]\nk=\xC3\xA4\xF0\x9F\x98\x80z\n", "S", "k", "", 3, "\xC3\xA4", 1},
        {"surrogate pair fits", "[S]\nk=\xC3\xA4\xF0\x9F\x98\x80z\n", "S", "k", "", 4,
         "\xC3\xA4\xF0\x9F\x98\x80", 3},
        {"UTF-8 BOM", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "", 260, "v", 1},
        {"CRLF", "[S]\r\nk=v\r\nm=w\r\n", "S", "m", "", 260, "w", 1},
        {"UTF-16LE with CRLF", Utf16File(u"[TEXT]\r\nKEY=Gr\u00FC\u00DFe\r\n", true), "text", "key", "", 260,
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         5},
        {"UTF-16BE", Utf16File(u"[TEXT]\nKEY=ok\n", false), "TEXT", "KEY", "", 260, "ok", 2},
        {"NUL bytes read as defaults", std::string("[S]\nk=v\0x\n", 10), "S", "k", "d", 260, "d", 1},
        {"odd-length UTF-16 reads as defaults", Utf16File(u"[S]\nk=v\n", true) + "x", "S", "k", "d", 260, "d",
         1},
    };
    for (const ReadCase& c : cases) {
        TempDir dir;
        const std::string path = c.file.empty() ? dir.File("none.ini") : dir.Write("f.ini", c.file);
        const IniText got = GetPrivateProfileString(c.section, c.key, c.defaultValue, c.capacity, path);
        EXPECT_EQ(got.text, c.expected) << c.name;
        EXPECT_EQ(got.length, c.expectedLength) << c.name;
    }
}

TEST(IniRead, IntegersParseLikeTheOriginal) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[K]\na=01\nb=yes\nc=\nd=-5\ne= 7x\nf=+3\ng=4294967297\n");
    const struct {
        const char* key;
        int expected;
    } cases[] = {{"a", 1}, {"b", 0}, {"c", 42}, {"d", -5}, {"e", 7}, {"f", 3}, {"g", 1}, {"missing", 42}};
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileInt("K", c.key, 42, path), c.expected) << c.key;
    EXPECT_EQ(GetPrivateProfileInt("K", "a", 42, dir.File("missing.ini")), 42);
}

TEST(IniWrite, CreatesFileSectionAndKey) {
    TempDir dir;
    const std::string path = dir.File("new.ini");
    ASSERT_TRUE(WritePrivateProfileString("KEYCOLOR", "DengCheck", "1", path));
    ASSERT_TRUE(WritePrivateProfileString("KEYCOLOR", "Other", "x", path));
    ASSERT_TRUE(WritePrivateProfileString("Mode3", "7", "255,0,0,1", path));
    EXPECT_EQ(dir.Read("new.ini"), "[KEYCOLOR]\nDengCheck=1\nOther=x\n[Mode3]\n7=255,0,0,1\n");
    EXPECT_EQ(GetPrivateProfileString("mode3", "7", "", 260, path).text, "255,0,0,1");
}

TEST(IniWrite, ChangesOnlyWhatItTouches) {
    TempDir dir;
    const std::string path =
        dir.Write("f.ini", "; kept comment\r\n[A]\r\nx = 1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "X", "10", path));
    ASSERT_TRUE(WritePrivateProfileString("A", "new", "n", path));
    EXPECT_EQ(dir.Read("f.ini"), "; kept comment\n[A]\nx=10\ny=2\nnew=n\n\n[B]\nz=3\n");

    ASSERT_TRUE(WritePrivateProfileString("A", "y", std::nullopt, path));
    ASSERT_TRUE(WritePrivateProfileString("B", std::nullopt, std::nullopt, path));
    EXPECT_EQ(dir.Read("f.ini"), "; kept comment\n[A]\nx=10\nnew=n\n\n");
}

TEST(IniWrite, Utf16FileIsRewrittenAsUtf8WithItsContent) {
    TempDir dir;
    const std::string path = dir.Write("u.ini", Utf16File(u"[MODENAME]\r\n0=Caf\u00E9\r\n", true));
    ASSERT_TRUE(WritePrivateProfileString("MODENAME", "1", "Two", path));
    EXPECT_EQ(dir.Read("u.ini"), "[MODENAME]\n0=Caf\xC3\xA9\n1=Two\n");
}

TEST(IniWrite, DeletingFromAMissingFileCreatesNothing) {
    TempDir dir;
    const std::string path = dir.File("none.ini");
    EXPECT_TRUE(WritePrivateProfileString("S", "k", std::nullopt, path));
    EXPECT_TRUE(WritePrivateProfileString("S", std::nullopt, std::nullopt, path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniWrite, RefusesTextThatWouldCorruptTheFile) {
    TempDir dir;
    const std::string original = "[S]\nk=v\n";
    const std::string path = dir.Write("f.ini", original);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "line\n[Evil]\nx=1", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "a=b", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "[x", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("S]x", "k", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "k\r", "v", path));
    EXPECT_EQ(dir.Read("f.ini"), original);
}

TEST(IniWrite, MalformedFileIsKeptUntilAWriteAndThenSaved) {
    TempDir dir;
    const std::string bad("[S]\nk=v\0\x01garbage", 16);
    const std::string path = dir.Write("f.ini", bad);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", 260, path).text, "d");
    EXPECT_EQ(dir.Read("f.ini"), bad);

    ASSERT_TRUE(WritePrivateProfileString("S", "k", "new", path));
    EXPECT_EQ(dir.Read("f.ini.bad"), bad);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", 260, path).text, "new");
}

TEST(IniWrite, UnreadableFileIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[S]\nk=secret\n");
    ::chmod(path.c_str(), 0200);
    EXPECT_EQ(GetPrivateProfileString("S", "k", "d", 260, path).text, "d");
    EXPECT_FALSE(WritePrivateProfileString("S", "other", "x", path));
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(dir.Read("f.ini"), "[S]\nk=secret\n");
}

TEST(IniWrite, KeepsModeAndLeavesNoTemporaryFiles) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[S]\nk=v\n");
    ::chmod(path.c_str(), 0640);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(WritePrivateProfileString("S", "k", std::to_string(i), path));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1);
}

// A second instance or another tool writing the same file at the same time
// must not lose this process's keys.
TEST(IniWrite, ConcurrentWritersInTwoProcessesLoseNothing) {
    TempDir dir;
    const std::string path = dir.File("shared.ini");
    constexpr int kKeys = 40;
    const pid_t child = ::fork();
    if (child == 0) {
        bool ok = true;
        for (int i = 0; i < kKeys; ++i)
            ok = WritePrivateProfileString("S", "child" + std::to_string(i), "c", path) && ok;
        ::_exit(ok ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    for (int i = 0; i < kKeys; ++i)
        EXPECT_TRUE(WritePrivateProfileString("S", "parent" + std::to_string(i), "p", path));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    for (int i = 0; i < kKeys; ++i) {
        EXPECT_EQ(GetPrivateProfileString("S", "child" + std::to_string(i), "", 260, path).text, "c") << i;
        EXPECT_EQ(GetPrivateProfileString("S", "parent" + std::to_string(i), "", 260, path).text, "p") << i;
    }
}

} // namespace
} // namespace velkarn
