#include "platform/instance_socket.h"

#include "platform/le.h"
#include "platform/paths.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velkarn {
namespace {

constexpr size_t kRequestSize = 12;
constexpr size_t kReplySize = 4;
// A client that connects but does not send its 12 bytes must not hold up the
// next one for long.
constexpr int kRequestTimeoutMs = 2000;

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads exactly size bytes, waiting at most until deadline.
bool ReadExactly(int fd, uint8_t* data, size_t size, std::chrono::steady_clock::time_point deadline) {
    size_t done = 0;
    while (done < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::recv(fd, data + done, size - done, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool WriteExactly(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string InstanceSocketPath(int pid, const std::string& folder) {
    const std::string dir = folder.empty() ? RuntimeFolder() : folder;
    // Never a socket in the current folder: no runtime folder, no socket.
    if (dir.empty())
        return {};
    return JoinPath(dir, "Velkarn.MAIN." + std::to_string(pid));
}

// What the accept thread uses; it outlives the server when Stop leaves the
// thread to finish a message on its own.
struct InstanceServer::Shared {
    InstanceMessageHandler handler;
    int listenFd = -1;
    int stopFd = -1;
    std::atomic<bool> stopping{false};
    std::atomic<bool> inHandler{false};

    ~Shared() {
        if (listenFd >= 0)
            ::close(listenFd);
        if (stopFd >= 0)
            ::close(stopFd);
    }

    void AcceptLoop();
    void Serve(int client);
};

InstanceServer::~InstanceServer() {
    Stop();
}

bool InstanceServer::Start(InstanceMessageHandler handler, const std::string& folder) {
    if (Running())
        return false;
    const std::string path = InstanceSocketPath(static_cast<int>(::getpid()), folder);
    if (path.empty()) {
        std::fprintf(stderr, "velkarn: no private runtime folder (XDG_RUNTIME_DIR unset or unusable); "
                             "other copies of the program cannot reach this one\n");
        return false;
    }
    sockaddr_un addr{};
    if (!FillAddress(path, addr))
        return false;
    auto shared = std::make_shared<Shared>();
    shared->listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (shared->listenFd < 0)
        return false;
    ::unlink(path.c_str());
    if (::bind(shared->listenFd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(shared->listenFd, 8) != 0) {
        ::unlink(path.c_str());
        return false;
    }
    shared->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (shared->stopFd < 0) {
        ::unlink(path.c_str());
        return false;
    }
    shared->handler = std::move(handler);
    m_shared = shared;
    m_path = path;
    m_thread = std::thread([shared] { shared->AcceptLoop(); });
    return true;
}

void InstanceServer::Stop() {
    if (!m_thread.joinable())
        return;
    ::unlink(m_path.c_str());
    // Paired with the thread's inHandler-then-stopping: either it sees that we
    // stop and skips the handler, or we see it busy and do not wait for it.
    m_shared->stopping = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_shared->stopFd, &one, sizeof one);
    if (m_shared->inHandler || m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
    m_shared.reset();
}

void InstanceServer::Shared::AcceptLoop() {
    while (!stopping) {
        std::array<pollfd, 2> fds{{{listenFd, POLLIN, 0}, {stopFd, POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        const int client = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        inHandler = true;
        if (!stopping)
            Serve(client);
        inHandler = false;
        ::close(client);
    }
}

void InstanceServer::Shared::Serve(int client) {
    // The socket folder is private already; the peer check keeps a socket in
    // a shared fallback folder from taking orders from other users.
    ucred peer{};
    socklen_t len = sizeof peer;
    if (::getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || peer.uid != ::getuid())
        return;
    std::array<uint8_t, kRequestSize> request{};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    if (!ReadExactly(client, request.data(), request.size(), deadline))
        return;
    const uint32_t result =
        handler ? handler(le::U32(request, 0), le::U32(request, 4), le::U32(request, 8)) : 0;
    std::array<uint8_t, kReplySize> reply{};
    le::PutU32(reply, 0, result);
    WriteExactly(client, reply.data(), reply.size());
}

std::optional<uint32_t> TellRunningInstance(int pid, uint32_t message, uint32_t wParam, uint32_t lParam,
                                            std::chrono::milliseconds timeout, const std::string& folder) {
    sockaddr_un addr{};
    if (pid <= 0 || !FillAddress(InstanceSocketPath(pid, folder), addr))
        return std::nullopt;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    std::optional<uint32_t> result;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        std::array<uint8_t, kRequestSize> request{};
        le::PutU32(request, 0, message);
        le::PutU32(request, 4, wParam);
        le::PutU32(request, 8, lParam);
        std::array<uint8_t, kReplySize> reply{};
        if (WriteExactly(fd, request.data(), request.size()) &&
            ReadExactly(fd, reply.data(), reply.size(), std::chrono::steady_clock::now() + timeout))
            result = le::U32(reply, 0);
    }
    ::close(fd);
    return result;
}

} // namespace velkarn
