#include "platform/single_instance.h"

#include "platform/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velkarn {

SingleInstanceLock::SingleInstanceLock()
    : SingleInstanceLock(JoinPath(RuntimeFolder(), kSingleInstanceName)) {}

SingleInstanceLock::SingleInstanceLock(std::string lockPath) : m_path(std::move(lockPath)) {}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

bool SingleInstanceLock::ExistsElsewhere() const {
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
