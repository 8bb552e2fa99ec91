#include "ui/main/ui_call_bridge.h"

#include <QMetaObject>
#include <QThread>
#include <algorithm>

namespace velkarn {

UiCallBridge::UiCallBridge() = default;

void UiCallBridge::Post(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    if (m_shutDown)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, work = std::move(work)] {
            if (!IsShutDown())
                work();
        },
        Qt::QueuedConnection);
}

int UiCallBridge::Send(std::function<int()> work) {
    if (QThread::currentThread() == thread())
        return IsShutDown() ? 0 : work();
    auto pending = std::make_shared<Pending>();
    {
        std::lock_guard lock(m_mutex);
        if (m_shutDown)
            return 0;
        m_waiting.push_back(pending);
        QMetaObject::invokeMethod(
            this,
            [this, pending, work = std::move(work)] {
                const int result = IsShutDown() ? 0 : work();
                Finish(pending, result);
            },
            Qt::QueuedConnection);
    }
    std::unique_lock wait(pending->mutex);
    pending->done.wait(wait, [&] { return pending->finished; });
    return pending->result;
}

void UiCallBridge::Finish(const std::shared_ptr<Pending>& pending, int result) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.erase(std::remove(m_waiting.begin(), m_waiting.end(), pending), m_waiting.end());
    }
    {
        std::lock_guard lock(pending->mutex);
        if (pending->finished)
            return;
        pending->finished = true;
        pending->result = result;
    }
    pending->done.notify_all();
}

void UiCallBridge::Shutdown() {
    std::vector<std::shared_ptr<Pending>> waiting;
    {
        std::lock_guard lock(m_mutex);
        m_shutDown = true;
        waiting.swap(m_waiting);
    }
    for (auto& pending : waiting) {
        {
            std::lock_guard lock(pending->mutex);
            pending->finished = true;
            pending->result = 0;
        }
        pending->done.notify_all();
    }
}

bool UiCallBridge::IsShutDown() const {
    std::lock_guard lock(m_mutex);
    return m_shutDown;
}

} // namespace velkarn
