// A process killed while it saves the store leaves the previous store file
// loadable: the new content goes to a temporary file that is renamed over
// the old one only when it is complete.
#include "store/profile_file.h"
#include "store_fixture.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkarn::test {
namespace {

class CrashSafetyTest : public StoreTest {};

void FillLargest(ProfileStore& store) {
    store.Macros().clear();
    for (uint16_t id = 1; id <= 100; ++id)
        store.Macros().push_back(MakeMacro(id, 2000, u"large"));
}

TEST_F(CrashSafetyTest, KillDuringSaveLeavesALoadableStoreFile) {
    CreateStoreFile();
    m_store->Macros() = {MakeMacro(1, 5, u"old")};
    ASSERT_TRUE(SaveProfileStoreFile(*m_store, true));
    const auto oldFile = ReadWholeFile(StoreFilePath());
    FillLargest(*m_store);
    const auto newImage = [&] {
        const std::string path = m_sandbox.Root().File("new.fwc");
        EXPECT_TRUE(SaveProfileFileAs(*m_store, true, path));
        return ReadWholeFile(path);
    }();

    for (int delayMs : {2, 15, 40, 90}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(ready[0]);
            const char go = 1;
            if (::write(ready[1], &go, 1) != 1)
                ::_exit(2);
            for (;;)
                SaveProfileStoreFile(*m_store, true);
        }
        ::close(ready[1]);
        char go = 0;
        ASSERT_EQ(::read(ready[0], &go, 1), 1);
        ::close(ready[0]);
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const auto file = ReadWholeFile(StoreFilePath());
        ASSERT_TRUE(file);
        EXPECT_TRUE(file == oldFile || file == newImage) << "after " << delayMs << " ms: " << file->size();
        EXPECT_EQ(CheckProfileFile(StoreFilePath(), m_prompts), 1);
        ProfileStore loaded(m_keyboard);
        EXPECT_TRUE(LoadProfileFile(loaded, StoreFilePath()));
    }
    EXPECT_TRUE(m_prompts.Messages().empty());
}

} // namespace
} // namespace velkarn::test
