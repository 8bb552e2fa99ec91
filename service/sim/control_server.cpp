#include "control_server.h"

#include "sim_keyboard.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace pylonet_sim {
namespace {

constexpr size_t kMaxLine = 256;

bool ParseByte(const std::string& s, uint8_t& out) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || errno || *end || v < 0 || v > 0xFF)
        return false;
    out = static_cast<uint8_t>(v);
    return true;
}

std::string Hex(const uint8_t* p, size_t n) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", p[i]);
        s += buf;
    }
    return s;
}

} // namespace

std::string RuntimeFolder() {
    if (const char* x = std::getenv("XDG_RUNTIME_DIR"); x && *x == '/')
        return x;
    std::string folder = "/tmp/velkarn-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return {};
    return folder;
}

std::string SocketPathForPid(long pid) {
    std::string folder = RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/pylonet-sim." + std::to_string(pid) + ".sock";
}

std::string ExecuteControl(SimKeyboard& keyboard, const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty())
        return "error: empty command\n";
    const std::string& cmd = words[0];
    auto consumer = [&](uint16_t code) {
        if (!keyboard.Plugged())
            return std::string("error: the keyboard is unplugged\n");
        keyboard.SendConsumerCode(code);
        return std::string("ok\n");
    };
    if (cmd == "plug" || cmd == "unplug") {
        keyboard.Plug(cmd == "plug");
        return "ok\n";
    }
    if (cmd == "bank-toggle")
        return consumer(0x02FF);
    if (cmd == "lighting-changed")
        return consumer(0x0401);
    if (cmd == "icon-alt")
        return consumer(0x1811);
    if (cmd == "icon-normal")
        return consumer(0x1810);
    if (cmd == "reset") {
        keyboard.ResetMemory();
        return "ok\n";
    }
    if (cmd == "status") {
        SimMemory m = keyboard.Memory();
        std::ostringstream out;
        out << "ok\n"
            << "plugged: " << (keyboard.Plugged() ? "yes" : "no") << "\n"
            << "active profile: " << int{m.status[kStatusActiveProfile]} << "\n"
            << "macro capacity: " << m.MacroCapacity() << " bytes\n"
            << "mode list: " << Hex(m.status.data() + kStatusModeList, 32) << "\n";
        return out.str();
    }
    if (cmd == "set-key") {
        uint8_t v[5];
        if (words.size() != 6)
            return "error: usage: set-key <bank> <position> <b0> <b1> <b2>\n";
        for (int i = 0; i < 5; ++i)
            if (!ParseByte(words[static_cast<size_t>(i) + 1], v[i]))
                return "error: \"" + words[static_cast<size_t>(i) + 1] + "\" is not a number 0..255\n";
        if (!keyboard.SetKey(v[0], v[1], v[2], v[3], v[4]))
            return "error: bank must be 0..2 and position 0..107\n";
        return "ok\n";
    }
    return "error: unknown command \"" + cmd + "\"\n";
}

ControlServer::~ControlServer() {
    Stop();
}

bool ControlServer::Start(SimKeyboard& keyboard, const std::string& path, std::string& error) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        error = "no usable runtime folder for the control socket";
        return false;
    }
    m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0 || ::pipe2(m_wake, O_CLOEXEC) != 0) {
        error = std::string("socket: ") + std::strerror(errno);
        Stop();
        return false;
    }
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    ::unlink(path.c_str());
    mode_t old = ::umask(077);
    int rc = ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::umask(old);
    if (rc != 0 || ::listen(m_listen, 4) != 0) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        Stop();
        return false;
    }
    m_keyboard = &keyboard;
    m_path = path;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void ControlServer::Stop() {
    if (m_thread.joinable()) {
        char c = 0;
        ssize_t ignored = ::write(m_wake[1], &c, 1);
        (void)ignored;
        m_thread.join();
    }
    for (int* fd : {&m_listen, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!m_path.empty())
        ::unlink(m_path.c_str());
    m_path.clear();
}

void ControlServer::Run() {
    for (;;) {
        pollfd fds[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        std::string line;
        char buf[64];
        pollfd cp{client, POLLIN, 0};
        // A client that never finishes its line must not hang the server.
        while (line.size() < kMaxLine && line.find('\n') == std::string::npos && ::poll(&cp, 1, 2000) > 0) {
            ssize_t n = ::read(client, buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, static_cast<size_t>(n));
        }
        line = line.substr(0, line.find('\n'));
        std::string answer =
            line.size() >= kMaxLine ? "error: command too long\n" : ExecuteControl(*m_keyboard, line);
        size_t done = 0;
        while (done < answer.size()) {
            ssize_t n = ::send(client, answer.data() + done, answer.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        ::close(client);
    }
}

} // namespace pylonet_sim
