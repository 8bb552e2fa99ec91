// The 208 named events that other programs of the keyboard wait on: POSIX
// named semaphores "Velkarn_Event_Main_01" .. "Velkarn_Event_Main_208"
// (format "%sMain_%02d", so 100 and above have three digits), created with
// value 0 when the main window initialises and closed and unlinked at exit.
//
// Thread safety: CreateAll and CloseAll belong to the owner (the UI thread);
// Signal may be called from any thread between them.
#pragma once

#include <array>
#include <semaphore.h>
#include <string>

namespace velkarn {

class NamedEvents {
public:
    static constexpr int kCount = 208;
    static constexpr const char* kDefaultPrefix = "Velkarn_Event_";

    // Tests pass their own prefix so they never touch a running program's events.
    explicit NamedEvents(std::string prefix = kDefaultPrefix) : m_prefix(std::move(prefix)) {}
    ~NamedEvents() { CloseAll(); }
    NamedEvents(const NamedEvents&) = delete;
    NamedEvents& operator=(const NamedEvents&) = delete;

    // "Velkarn_Event_Main_07" for n = 7 (without the leading '/' that sem_open needs).
    static std::string EventName(const std::string& prefix, int n);

    // Creates (or opens, when another program made it first) every event;
    // returns how many are open afterwards.
    int CreateAll();
    // Closes and unlinks every open event. Safe to call twice.
    void CloseAll();

    bool IsOpen(int n) const;
    // Posts event n (1..208); false when it is not open.
    bool Signal(int n);

private:
    std::string m_prefix;
    std::array<sem_t*, kCount> m_events{};
};

} // namespace velkarn
