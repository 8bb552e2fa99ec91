// One event type for the program's own window messages: (message number,
// wParam, lParam), as the main window and the skinned controls exchange them.
// Post = queued delivery; send = immediate on the receiver's thread, a
// blocking queued call from any other thread.
//
// Thread safety: PostWindowMessage and SendWindowMessage may be called from
// any thread; the receiver handles the event on its own thread.
#pragma once

#include <QEvent>
#include <QObject>
#include <cstdint>

namespace velkarn {

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
        : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam) {}

    static QEvent::Type EventType();

    uint32_t Message() const { return m_message; }
    uintptr_t WParam() const { return m_wParam; }
    intptr_t LParam() const { return m_lParam; }
    // The receiver's answer, returned by SendWindowMessage.
    intptr_t Result() const { return m_result; }
    void SetResult(intptr_t result) { m_result = result; }

private:
    uint32_t m_message;
    uintptr_t m_wParam;
    intptr_t m_lParam;
    intptr_t m_result = 0;
};

void PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam);

} // namespace velkarn
