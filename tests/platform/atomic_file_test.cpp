#include "platform/atomic_file.h"
#include "support/temp_dir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkarn {
namespace {

using test::TempDir;

int CountEntries(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

// A disk that fills up in the middle of the write: the file-size limit makes
// write() fail after a few bytes, as ENOSPC would.
TEST(AtomicFile, FailedWriteLeavesTheOldFileWholeAndNoTemporary) {
    TempDir dir;
    const std::string path = dir.Write("store.bin", "old content");

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string big(100000, 'x');
    const bool ok = WriteFileAtomically(path, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(ok);
    EXPECT_EQ(dir.Read("store.bin"), "old content");
    EXPECT_EQ(CountEntries(dir.Path()), 1);
}

TEST(AtomicFile, ReplacesContentAndWritesThroughASymlink) {
    TempDir dir;
    const std::string real = dir.Write("real.ini", "a");
    const std::string link = dir.File("link.ini");
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(link, std::string_view("b")));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(dir.Read("real.ini"), "b");
}

TEST(AtomicFile, RefusesWhereItCannotRename) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("folder"), std::string_view("x")));
    EXPECT_FALSE(WriteFileAtomically(dir.File("missing/f"), std::string_view("x")));
    EXPECT_EQ(CountEntries(dir.Path()), 1);
}

TEST(AtomicFile, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write every file";
    TempDir dir;
    const std::string path = dir.Write("locked.ini", "keep");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(WriteFileAtomically(path, std::string_view("new")));
    EXPECT_EQ(dir.Read("locked.ini"), "keep");
}

TEST(AtomicFile, ReadDistinguishesMissingFromUnreadable) {
    TempDir dir;
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadFileBytes(dir.File("none"), bytes), FileReadStatus::kMissing);
    EXPECT_EQ(ReadFileBytes(dir.Path(), bytes), FileReadStatus::kUnreadable);
    dir.Write("big", std::string(100, 'x'));
    EXPECT_EQ(ReadFileBytes(dir.File("big"), bytes, 99), FileReadStatus::kUnreadable);
    EXPECT_EQ(ReadFileBytes(dir.File("big"), bytes), FileReadStatus::kOk);
    EXPECT_EQ(bytes.size(), 100u);
}

} // namespace
} // namespace velkarn
