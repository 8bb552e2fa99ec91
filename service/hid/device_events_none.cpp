#include "device_events.h"

namespace pylonet_hid {

// Built without libudev: the watcher polls.
std::unique_ptr<DeviceEvents> DeviceEvents::Open() {
    return nullptr;
}

} // namespace pylonet_hid
