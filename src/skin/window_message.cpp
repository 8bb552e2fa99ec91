#include "skin/window_message.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

namespace velkarn {

QEvent::Type WindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (receiver) {
        QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    }
}

intptr_t SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!receiver) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    if (receiver->thread() == QThread::currentThread()) {
        QCoreApplication::sendEvent(receiver, &event);
        return event.Result();
    }
    QPointer<QObject> target(receiver);
    QMetaObject::invokeMethod(
        receiver,
        [target, &event] {
            if (target) {
                QCoreApplication::sendEvent(target, &event);
            }
        },
        Qt::BlockingQueuedConnection);
    return event.Result();
}

} // namespace velkarn
