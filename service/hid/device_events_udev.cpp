#include "device_events.h"

#include <libudev.h>

namespace pylonet_hid {
namespace {

class UdevEvents final : public DeviceEvents {
public:
    UdevEvents(udev* context, udev_monitor* monitor) : m_udev(context), m_monitor(monitor) {}
    ~UdevEvents() override {
        udev_monitor_unref(m_monitor);
        udev_unref(m_udev);
    }
    int Fd() const override { return udev_monitor_get_fd(m_monitor); }
    bool Drain() override {
        bool any = false;
        while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
            any = true;
            udev_device_unref(device);
        }
        return any;
    }

private:
    udev* m_udev;
    udev_monitor* m_monitor;
};

} // namespace

std::unique_ptr<DeviceEvents> DeviceEvents::Open() {
    udev* context = udev_new();
    if (!context)
        return nullptr;
    // The "udev" source, not "kernel": its events come after the rules ran, so
    // the access tag of our rule has been applied when we try to open the node.
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::make_unique<UdevEvents>(context, monitor);
}

} // namespace pylonet_hid
