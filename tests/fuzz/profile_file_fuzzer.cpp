// Feeds arbitrary files to the import check and the loader, as a user's
// import (or a damaged profile store file) would: neither may read outside
// the file or crash, and a store that fails to load keeps a block.
#include "app/prompts.h"
#include "store/keyboard_port.h"
#include "store/profile_file.h"
#include "store/profile_store.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class SilentPrompts final : public velkarn::Prompts {
public:
    void Ok(std::string_view, std::string_view) override {}
    bool YesNo(std::string_view, std::string_view) override { return false; }
    void TopmostOk(std::string_view, std::string_view) override {}
    std::optional<std::string> OpenFile(const velkarn::FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const velkarn::FileDialogRequest&) override { return std::nullopt; }
};

std::string g_folder;
std::string g_file;

void RemoveFolder() {
    std::filesystem::remove_all(g_folder);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Keep the language lookups away from the real home.
    char folder[] = "/tmp/velkarn-fuzz-XXXXXX";
    if (!::mkdtemp(folder))
        std::abort();
    ::setenv("HOME", folder, 1);
    ::setenv("XDG_CONFIG_HOME", folder, 1);
    ::setenv("XDG_DATA_HOME", folder, 1);
    g_folder = folder;
    g_file = g_folder + "/input.fwc";
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(g_file.c_str(), "wb");
    if (!file)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    SilentPrompts prompts;
    static velkarn::ProfileStore store(velkarn::DeviceKeyboardPort());
    const int checked = velkarn::CheckProfileFile(g_file, prompts);
    std::lock_guard lock(store.StoreLock());
    store.Empty();
    const bool loaded = velkarn::LoadProfileFile(store, g_file);
    if (!store.Block())
        std::abort();
    // Whatever the check accepts, the loader must be able to load.
    if (checked == 1 && !loaded)
        std::abort();
    return 0;
}
