// The main window's timers, one per id: Start arms (or re-arms) the timer of
// an id with a period, Kill stops it, and every expiry calls the owner's
// handler with the id until the handler kills or re-arms it.
//
// Thread safety: Start, Kill and IsActive belong to the owner's (UI) thread.
// StartFromAnyThread may be called from any thread (the service-library
// callback arms timer 1051 that way); the timer is armed on the UI thread.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace velkarn {

class WindowTimers : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int id)>;

    explicit WindowTimers(Handler handler, QObject* parent = nullptr);

    void Start(int id, int periodMs);
    void Kill(int id);
    bool IsActive(int id) const;
    int Period(int id) const; // -1 when the id has no running timer
    void KillAll();

    void StartFromAnyThread(int id, int periodMs);

private:
    Handler m_handler;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
};

} // namespace velkarn
