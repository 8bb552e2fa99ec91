#include "store/profile_file.h"

#include "app/localisation.h"
#include "model/default_key_map.h"
#include "model/key_assignment.h"
#include "platform/atomic_file.h"
#include "platform/le.h"
#include "platform/paths.h"
#include "platform/safe_format.h"
#include "store/user_settings.h"

#include <array>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace velkarn {
namespace {

constexpr const char* kDataFolderName = "Ferrowyn Driver";
constexpr const char* kStoreFileFormat = "$Profile%d";

constexpr uint16_t kMacroAreaMagic = 0x55AA;
constexpr size_t kMacroAreaHeaderSize = 16;

const FileDialogRequest& ProfileFileDialog(bool save) {
    static const FileDialogRequest open{"fwc", "*.fwc", "(*.fwc)|*.fwc|(*.*)|*.*||", "", false};
    static const FileDialogRequest saveAs{"fwc", "*.fwc", "(*.fwc)|*.fwc|(*.*)|*.*||", "", true};
    return save ? saveAs : open;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An open file descriptor that closes itself.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~ReadOnlyFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }

    std::optional<uint64_t> Size() const {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))
            return std::nullopt;
        return static_cast<uint64_t>(st.st_size);
    }

    // Reads exactly out.size() bytes from the start of the file.
    bool ReadFromStart(std::span<uint8_t> out) const {
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t got = ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

void CopyFileBytes(const std::string& from, const std::string& to) {
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(from, bytes) == FileReadStatus::kOk)
        WriteFileAtomically(to, std::span<const uint8_t>(bytes));
}

bool WriteStoreImage(ProfileStore& store, const std::string& path) {
    ProfileBlock* block = store.Block();
    if (!block)
        return false;
    try {
        const auto image = BuildProfileImage(*block, store.Macros(), store.Texts());
        return WriteFileAtomically(path, std::span<const uint8_t>(image));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Reads the keyboard's macro area: no macros when it does not begin with the
// magic word; nothing at all when a read fails.
std::optional<std::vector<uint8_t>> ReadMacroAreaImage(KeyboardPort& port) {
    std::array<uint8_t, kMacroAreaHeaderSize> head{};
    if (port.ReadMacroArea(head) != 1)
        return std::nullopt;
    if (le::U16(head, 0) != kMacroAreaMagic)
        return std::vector<uint8_t>{};
    std::vector<uint8_t> image(le::U16(head, 2));
    if (port.ReadMacroArea(image) != 1)
        return std::nullopt;
    return image;
}

} // namespace

std::string DataFolder() {
    return JoinPath(UserDataFolder(), kDataFolderName);
}

void EnsureDataFolder() {
    const std::string folder = DataFolder();
    if (IsFolder(folder) || !MakeFolders(folder, 0700))
        return;
    const std::string shipped = ShippedUserModeFilePath();
    for (int p = 0; p < kOnboardProfileCount; ++p)
        CopyFileBytes(shipped, UserModeFilePath(p));
}

std::string ProfileStoreFilePath(int /*profile*/) {
    EnsureDataFolder();
    return JoinPath(DataFolder(), FormatInt(kStoreFileFormat, 0));
}

int CheckProfileFile(const std::string& path, Prompts& prompts) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return kProfileFileInvalid;
    ReadOnlyFile file(path);
    if (!file.IsOpen())
        return kProfileFileUnreadable;
    const auto size = file.Size();
    if (!size)
        return kProfileFileUnreadable;
    std::array<uint8_t, kFileHeaderSize> head{};
    if (*size >= kFileHeaderSize && !file.ReadFromStart(head))
        return kProfileFileUnreadable;
    switch (CheckProfileHeader(head, *size)) {
    case HeaderCheck::kValid:
        return kProfileFileValid;
    case HeaderCheck::kTooSmall:
        return kProfileFileInvalid;
    case HeaderCheck::kRejected:
        break;
    }
    prompts.Ok(FormatString(Text("PROFILE_FORMAT_ERROR"), path));
    return kProfileFileInvalid;
}

bool ReadProfileContents(const std::string& path, ProfileContents& out) {
    if (!IsRegularFile(path))
        return false;
    ReadOnlyFile file(path);
    const auto size = file.IsOpen() ? file.Size() : std::nullopt;
    if (!size || *size < kProfileBlockSize)
        return false;
    std::array<uint8_t, kFileHeaderSize> head{};
    if (!file.ReadFromStart(head))
        return false;
    // Only the bytes the header accounts for are read; a longer file keeps
    // its tail unread, a shorter one is refused.
    const uint64_t extent = ProfileImageExtent(head);
    if (extent > *size)
        return false;
    try {
        std::vector<uint8_t> image(static_cast<size_t>(extent));
        return file.ReadFromStart(image) && ParseProfileImage(image, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void InstallProfileContents(ProfileStore& store, ProfileContents&& contents) {
    std::lock_guard lock(store.StoreLock());
    store.Empty();
    store.SetBlock(std::move(contents.block));
    store.Macros() = std::move(contents.macros);
    store.Texts() = std::move(contents.texts);
}

bool LoadProfileFile(ProfileStore& store, const std::string& path) {
    std::lock_guard lock(store.StoreLock());
    auto contents = std::make_unique<ProfileContents>();
    if (ReadProfileContents(path, *contents)) {
        InstallProfileContents(store, std::move(*contents));
        return true;
    }
    store.Empty();
    store.NewBlock(0);
    return false;
}

bool SaveProfileStoreFile(ProfileStore& store, bool takeLock) {
    std::unique_lock lock(store.StoreLock(), std::defer_lock);
    if (takeLock)
        lock.lock();
    const std::string path = ProfileStoreFilePath(0);
    if (!IsRegularFile(path))
        return false;
    return WriteStoreImage(store, path);
}

bool SaveProfileFileAs(ProfileStore& store, bool takeLock, const std::string& path) {
    std::unique_lock lock(store.StoreLock(), std::defer_lock);
    if (takeLock)
        lock.lock();
    return WriteStoreImage(store, path);
}

std::vector<uint8_t> ReadKeyboardImage(ProfileStore& store) {
    if (store.GetActiveProfile() < 0)
        return {};
    KeyboardPort& port = store.Port();
    std::array<std::array<uint8_t, kKeyMapBankSize>, kOnboardProfileCount> banks{};
    for (int b = 0; b < kOnboardProfileCount; ++b) {
        if (port.ReadKeyMap(banks[static_cast<size_t>(b)], b) != 1)
            return {};
    }
    const auto macroArea = ReadMacroAreaImage(port);
    if (!macroArea)
        return {};

    try {
        const std::vector<MacroRecord> macros =
            macroArea->empty() ? std::vector<MacroRecord>{} : DecodeMacros(*macroArea).macros;
        const uint16_t macroCount = static_cast<uint16_t>(macros.size());
        std::vector<uint8_t> image(ProfileTotalSize(macroCount, 0), 0);
        const std::span<uint8_t> bytes(image);
        WriteFileHeader(bytes, macroCount, 0, 0);
        WriteDeviceDescriptor(bytes);
        const KeyMapImage defaults = DefaultKeyMap().Get();
        const auto block = bytes.first<kProfileBlockSize>();
        for (int b = 0; b < kOnboardProfileCount; ++b)
            DecodeKeyMap(banks[static_cast<size_t>(b)], defaults, KeyMapAreaOf(block, b));
        for (size_t i = 0; i < macros.size(); ++i)
            std::copy_n(macros[i].Bytes().begin(), kMacroRecordSize,
                        image.begin() + static_cast<ptrdiff_t>(kProfileBlockSize + i * kMacroRecordSize));
        return image;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool ReadKeyboardIntoFile(ProfileStore& store, const std::string& path) {
    const std::vector<uint8_t> image = ReadKeyboardImage(store);
    return !image.empty() && WriteFileAtomically(path, std::span<const uint8_t>(image));
}

void ReloadFromKeyboard(ProfileStore& store, bool keepApplyState) {
    EnsureDataFolder();
    const std::string path = ProfileStoreFilePath(0);
    const bool read = store.GetActiveProfile() >= 0 && ReadKeyboardIntoFile(store, path);
    {
        std::lock_guard lock(store.StoreLock());
        store.Empty();
        if (!read || !LoadProfileFile(store, path)) {
            store.Empty();
            store.NewBlock(0);
        }
        if (store.KeyView())
            store.KeyView()->RefreshKeyButtons();
    }
    if (!keepApplyState && store.KeyView())
        store.KeyView()->SetApplyPending(false);
}

void ImportProfileFile(ProfileStore& store, Prompts& prompts) {
    const auto path = prompts.OpenFile(ProfileFileDialog(false));
    if (!path)
        return;
    // The file is read in full before the store is emptied: a file that
    // passes the header test but cannot be loaded leaves the store, the
    // store file and the keyboard as they were.
    auto contents = std::make_unique<ProfileContents>();
    if (CheckProfileFile(*path, prompts) <= 0 || !ReadProfileContents(*path, *contents)) {
        prompts.Ok(Text("MAIN_PROMPT_INPORT"));
        return;
    }
    {
        std::lock_guard lock(store.StoreLock());
        InstallProfileContents(store, std::move(*contents));
        SaveProfileStoreFile(store, false);
        store.MakeDownloadCopy(1, prompts);
        if (store.KeyView())
            store.KeyView()->RefreshKeyButtons();
    }
    if (store.KeyView())
        store.KeyView()->SetApplyPending(false);
}

void ExportProfileFile(ProfileStore& store, Prompts& prompts) {
    const auto path = prompts.SaveFile(ProfileFileDialog(true));
    if (!path)
        return;
    SaveProfileFileAs(store, true, *path);
}

} // namespace velkarn
