#include "hid_port.h"

#include <cerrno>
#include <hidapi.h>
#include <mutex>

namespace pylonet_hid {
namespace {

// hidapi keeps its last global error in one unguarded variable that
// hid_enumerate and hid_open_path both write.
std::mutex g_globalCalls;

} // namespace

struct HidHandle {
    hid_device* device = nullptr;
};

bool PortInit() {
    std::lock_guard lock(g_globalCalls);
    return hid_init() == 0;
}

void PortExit() {
    std::lock_guard lock(g_globalCalls);
    hid_exit();
}

std::vector<HidInterface> PortEnumerate(uint16_t vendorId, uint16_t productId) {
    std::lock_guard lock(g_globalCalls);
    std::vector<HidInterface> out;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (const hid_device_info* info = list; info; info = info->next) {
        if (!info->path)
            continue;
        out.push_back(
            HidInterface{info->path, info->vendor_id, info->product_id, info->usage_page, info->usage});
    }
    hid_free_enumeration(list);
    return out;
}

HidHandle* PortOpen(const std::string& path, int& error) {
    std::lock_guard lock(g_globalCalls);
    errno = 0;
    hid_device* device = hid_open_path(path.c_str());
    error = errno;
    if (!device)
        return nullptr;
    error = 0;
    return new HidHandle{device};
}

int PortWrite(HidHandle* handle, const uint8_t* data, size_t length) {
    return handle ? hid_write(handle->device, data, length) : -1;
}

int PortRead(HidHandle* handle, uint8_t* data, size_t capacity, int timeoutMs) {
    return handle ? hid_read_timeout(handle->device, data, capacity, timeoutMs) : -1;
}

void PortClose(HidHandle* handle) {
    if (!handle)
        return;
    std::lock_guard lock(g_globalCalls);
    hid_close(handle->device);
    delete handle;
}

} // namespace pylonet_hid
