#include "platform/named_events.h"

#include <cstdio>
#include <fcntl.h>

namespace velkarn {

std::string NamedEvents::EventName(const std::string& prefix, int n) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", n);
    return prefix + "Main_" + number;
}

int NamedEvents::CreateAll() {
    int open = 0;
    for (int n = 1; n <= kCount; ++n) {
        sem_t*& slot = m_events[static_cast<size_t>(n - 1)];
        if (slot == nullptr) {
            const std::string name = "/" + EventName(m_prefix, n);
            sem_t* sem = ::sem_open(name.c_str(), O_CREAT, 0600, 0);
            if (sem != SEM_FAILED)
                slot = sem;
        }
        if (slot != nullptr)
            ++open;
    }
    return open;
}

void NamedEvents::CloseAll() {
    for (int n = 1; n <= kCount; ++n) {
        sem_t*& slot = m_events[static_cast<size_t>(n - 1)];
        if (slot == nullptr)
            continue;
        ::sem_close(slot);
        ::sem_unlink(("/" + EventName(m_prefix, n)).c_str());
        slot = nullptr;
    }
}

bool NamedEvents::IsOpen(int n) const {
    return n >= 1 && n <= kCount && m_events[static_cast<size_t>(n - 1)] != nullptr;
}

bool NamedEvents::Signal(int n) {
    if (!IsOpen(n))
        return false;
    return ::sem_post(m_events[static_cast<size_t>(n - 1)]) == 0;
}

} // namespace velkarn
