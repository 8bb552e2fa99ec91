#include "platform/single_instance.h"

#include "platform/paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velkarn {

namespace {

// Without a private runtime folder the lock would land in whatever folder the
// program was started from, where another user or a stray file could block
// it; going without the lock only risks a second copy.
std::string DefaultLockPath() {
    const std::string folder = RuntimeFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "velkarn: no private runtime folder (XDG_RUNTIME_DIR unset or unusable); "
                             "not checking for another running copy\n");
        return {};
    }
    return JoinPath(folder, kSingleInstanceName);
}

} // namespace

SingleInstanceLock::SingleInstanceLock() : SingleInstanceLock(DefaultLockPath()) {}

SingleInstanceLock::SingleInstanceLock(std::string lockPath) : m_path(std::move(lockPath)) {}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

bool SingleInstanceLock::ExistsElsewhere() const {
    if (m_path.empty())
        return false;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool held = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        ::flock(fd, LOCK_UN);
    else
        held = errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool SingleInstanceLock::CreateOwned() {
    if (m_fd >= 0)
        return true;
    if (m_path.empty())
        return false;
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void SingleInstanceLock::Release() {
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace velkarn
