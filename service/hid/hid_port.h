// The one seam between the service library and hidapi: every hidapi call the
// library makes goes through these functions, so a test build can link a
// fake hidapi (backed by the simulated keyboard) in place of the real one.
//
// Thread safety: the calls that touch hidapi's process-wide state
// (PortInit, PortExit, PortEnumerate, PortOpen, PortClose) are serialised
// here. PortWrite and PortRead may run concurrently on different handles; one
// handle is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pylonet_hid {

// One top-level collection of one HID interface. A hidraw node whose report
// descriptor holds several collections is listed once for each of them, with
// the same path.
struct HidInterface {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
};

struct HidHandle;

bool PortInit();
void PortExit();
// Interfaces of the devices with these ids; 0 matches any id.
std::vector<HidInterface> PortEnumerate(uint16_t vendorId, uint16_t productId);
// Null on failure; `error` then receives errno as the failed open left it
// (0 when nothing is known).
HidHandle* PortOpen(const std::string& path, int& error);
// Writes one output report, report id in the first byte. Bytes written, or -1.
int PortWrite(HidHandle* handle, const uint8_t* data, size_t length);
// Reads one input report, waiting up to `timeoutMs`. Bytes read, 0 when
// nothing arrived in time, -1 when the device failed or is gone.
int PortRead(HidHandle* handle, uint8_t* data, size_t capacity, int timeoutMs);
void PortClose(HidHandle* handle);

} // namespace pylonet_hid
