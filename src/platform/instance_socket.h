// Instance messages between copies of the program. The main window, once it
// has set its marker, listens on the Unix socket "Velkarn.MAIN.<pid>" in the
// runtime folder (mode 0600). A message is the message number, wParam and
// lParam as three little-endian u32; the server replies with the handler's
// 4-byte little-endian result once the message has been handled.
//
// Thread safety: InstanceServer is started and stopped by its owner (the UI
// thread); the handler runs on the server's own accept thread, one message
// at a time, and is expected to forward to the UI thread and wait.
// TellRunningInstance may be called from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace velkarn {

using InstanceMessageHandler = std::function<uint32_t(uint32_t message, uint32_t wParam, uint32_t lParam)>;

// Path of the socket of process pid in folder (RuntimeFolder() when empty);
// empty when there is no runtime folder.
std::string InstanceSocketPath(int pid, const std::string& folder = {});

class InstanceServer {
public:
    InstanceServer() = default;
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // Binds the socket of this process (replacing a stale file of the same
    // name, which can only be left by a dead process with our pid) and starts
    // the accept thread. False when the socket cannot be created.
    bool Start(InstanceMessageHandler handler, const std::string& folder = {});

    // Removes the socket file and ends the accept thread. When a message is
    // being handled right now, the thread is left to finish it (and reply) on
    // its own: the handler may be waiting for the very thread that calls Stop
    // (a "KILL" runs the teardown that stops this server), so Stop never waits
    // for a handler.
    void Stop();

    bool Running() const { return m_thread.joinable(); }
    const std::string& SocketPath() const { return m_path; }

private:
    struct Shared;

    std::shared_ptr<Shared> m_shared;
    std::string m_path;
    std::thread m_thread;
};

// Delivers one message to the instance with process id pid and waits for
// its result. nullopt when no instance listens there (not started yet, or a
// stale socket of a dead process), or when it does not answer in time.
std::optional<uint32_t> TellRunningInstance(int pid, uint32_t message, uint32_t wParam, uint32_t lParam,
                                            std::chrono::milliseconds timeout = std::chrono::seconds(10),
                                            const std::string& folder = {});

} // namespace velkarn
