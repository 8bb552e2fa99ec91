// A source of "a hidraw node came or went" events from the system's device
// manager. Built over libudev's monitor where the library is available;
// without it (or when the monitor cannot be opened) Open returns null and the
// caller falls back to polling.
//
// Thread safety: one thread uses a DeviceEvents object.
#pragma once

#include <memory>

namespace pylonet_hid {

class DeviceEvents {
public:
    virtual ~DeviceEvents() = default;
    // A descriptor that becomes readable when events are waiting.
    virtual int Fd() const = 0;
    // Takes every waiting event; true when at least one was a hidraw node.
    virtual bool Drain() = 0;

    static std::unique_ptr<DeviceEvents> Open();
};

} // namespace pylonet_hid
