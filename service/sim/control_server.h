// The simulated keyboard's control socket: lets the control program plug and
// unplug the keyboard, make it send consumer events, show its status, reset
// its memory and write single key actions, while a program uses it.
//
// Protocol: one connection per command; the client sends one line
// ("plug", "unplug", "bank-toggle", "lighting-changed", "icon-alt",
// "icon-normal", "status", "reset", "set-key <bank> <position> <b0> <b1> <b2>")
// and reads the answer until the server closes: lines of text, the first one
// starting with "ok" or "error:".
//
// Thread safety: Start and Stop from one thread; the server runs on its own.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace pylonet_sim {

class SimKeyboard;

// $XDG_RUNTIME_DIR, else /tmp/velkarn-<uid> (created 0700, refused when it
// belongs to someone else). Empty when neither is usable.
std::string RuntimeFolder();
std::string SocketPathForPid(long pid);

// Runs one control command against the keyboard and returns the answer.
std::string ExecuteControl(SimKeyboard& keyboard, const std::string& line);

class ControlServer {
public:
    ControlServer() = default;
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    bool Start(SimKeyboard& keyboard, const std::string& path, std::string& error);
    void Stop();
    const std::string& Path() const { return m_path; }

private:
    void Run();

    SimKeyboard* m_keyboard = nullptr;
    std::string m_path;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

} // namespace pylonet_sim
