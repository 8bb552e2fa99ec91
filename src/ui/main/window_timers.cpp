#include "ui/main/window_timers.h"

#include <QMetaObject>

namespace velkarn {

WindowTimers::WindowTimers(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

void WindowTimers::Start(int id, int periodMs) {
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        connect(timer.get(), &QTimer::timeout, this, [this, id] {
            if (m_handler)
                m_handler(id);
        });
    }
    timer->start(periodMs < 0 ? 0 : periodMs);
}

void WindowTimers::Kill(int id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        it->second->stop();
}

bool WindowTimers::IsActive(int id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

int WindowTimers::Period(int id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive() ? it->second->interval() : -1;
}

void WindowTimers::KillAll() {
    for (auto& [id, timer] : m_timers)
        timer->stop();
}

void WindowTimers::StartFromAnyThread(int id, int periodMs) {
    QMetaObject::invokeMethod(
        this, [this, id, periodMs] { Start(id, periodMs); }, Qt::QueuedConnection);
}

} // namespace velkarn
