// The twelve entry points of libpylonet.so, over one process-wide HidService.
// The service is never destroyed: the program's threads may call into the
// library until the very end, and nothing may run after static destruction.
#include "hid_service.h"
#include "pylonet.h"

#define PYLONET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

pylonet_hid::HidService& Service() {
    static auto* service = new pylonet_hid::HidService;
    return *service;
}

} // namespace

PYLONET_EXPORT int32_t Debug(void) {
    return 0;
}
PYLONET_EXPORT int32_t Init(int32_t) {
    return Service().Init();
}
// Stops every reader and closes the keyboard; the program never calls it, but
// a host that unloads the library must, and tests start over with it.
PYLONET_EXPORT int32_t End(void) {
    Service().End();
    return 0;
}
PYLONET_EXPORT int32_t RequestGetDeviceCount(const InterfaceSelector* selector, PylonetCallback, uint32_t,
                                             uint32_t, void*) {
    return Service().DeviceCount(selector);
}
PYLONET_EXPORT int32_t DeleteRequestFromUnitId(uint32_t unitId) {
    return Service().DeleteRequest(unitId);
}
PYLONET_EXPORT int32_t DeleteRequestFromHandle(void) {
    return 0;
}
PYLONET_EXPORT int32_t RequestWrite(void) {
    return 0;
}
PYLONET_EXPORT int32_t RequestWriteOne(const InterfaceSelector* selector, PylonetCallback, uint32_t,
                                       const uint8_t* data, int32_t length, uint32_t, void*) {
    return Service().WriteOne(selector, data, length);
}
PYLONET_EXPORT int32_t RequestStatusWrite(const InterfaceSelector* selector, PylonetCallback, uint32_t,
                                          const uint8_t* data, int32_t length, uint32_t, uint32_t* unitId) {
    return Service().StatusWrite(selector, data, length, unitId);
}
PYLONET_EXPORT int32_t RequestStatusGet(void) {
    return 0;
}
PYLONET_EXPORT int32_t RequestAsyncRead(const InterfaceSelector* selector, PylonetCallback callback,
                                        uint32_t tag, uint32_t, uint32_t* unitId) {
    return Service().AsyncRead(selector, callback, tag, unitId);
}
PYLONET_EXPORT int32_t RequestStatusSetFeature(void) {
    return 0;
}
