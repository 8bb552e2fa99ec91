// The exported entry points of libpylonet-sim.so. The first Init creates the
// process's simulated keyboard from the environment and opens its control
// socket; like the real library, it stays until the process ends.
#include "control_server.h"
#include "pylonet.h"
#include "sim_entry.h"
#include "sim_keyboard.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

#define PYLONET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::once_flag g_once;
// Deliberately never freed: the program's threads may call into the library
// until the very end, and nothing may run after static destruction.
pylonet_sim::ControlServer* g_server = nullptr;
std::string* g_socketPath = nullptr;

void RemoveSocket() {
    if (g_socketPath)
        ::unlink(g_socketPath->c_str());
}

void StartKeyboard() {
    auto* keyboard = new pylonet_sim::SimKeyboard(pylonet_sim::SimOptions::FromEnvironment());
    pylonet_sim::SetCurrentKeyboard(keyboard);
    g_server = new pylonet_sim::ControlServer;
    std::string error;
    if (g_server->Start(*keyboard, pylonet_sim::SocketPathForPid(::getpid()), error)) {
        g_socketPath = new std::string(g_server->Path());
        std::atexit(RemoveSocket);
    } else {
        std::fprintf(stderr, "pylonet-sim: no control socket: %s\n", error.c_str());
    }
}

} // namespace

using namespace pylonet_sim;

PYLONET_EXPORT int32_t Debug(void) {
    return entry::Debug();
}
PYLONET_EXPORT int32_t Init(int32_t reserved) {
    std::call_once(g_once, StartKeyboard);
    return entry::Init(reserved);
}
PYLONET_EXPORT int32_t End(void) {
    return entry::End();
}
PYLONET_EXPORT int32_t RequestGetDeviceCount(const InterfaceSelector* s, PylonetCallback c, uint32_t t,
                                             uint32_t k, void* r) {
    return entry::RequestGetDeviceCount(s, c, t, k, r);
}
PYLONET_EXPORT int32_t DeleteRequestFromUnitId(uint32_t unitId) {
    return entry::DeleteRequestFromUnitId(unitId);
}
PYLONET_EXPORT int32_t DeleteRequestFromHandle(void) {
    return entry::DeleteRequestFromHandle();
}
PYLONET_EXPORT int32_t RequestWrite(void) {
    return entry::RequestWrite();
}
PYLONET_EXPORT int32_t RequestWriteOne(const InterfaceSelector* s, PylonetCallback c, uint32_t t,
                                       const uint8_t* d, int32_t n, uint32_t k, void* r) {
    return entry::RequestWriteOne(s, c, t, d, n, k, r);
}
PYLONET_EXPORT int32_t RequestStatusWrite(const InterfaceSelector* s, PylonetCallback c, uint32_t t,
                                          const uint8_t* d, int32_t n, uint32_t k, uint32_t* u) {
    return entry::RequestStatusWrite(s, c, t, d, n, k, u);
}
PYLONET_EXPORT int32_t RequestStatusGet(void) {
    return entry::RequestStatusGet();
}
PYLONET_EXPORT int32_t RequestAsyncRead(const InterfaceSelector* s, PylonetCallback c, uint32_t t, uint32_t k,
                                        uint32_t* u) {
    return entry::RequestAsyncRead(s, c, t, k, u);
}
PYLONET_EXPORT int32_t RequestStatusSetFeature(void) {
    return entry::RequestStatusSetFeature();
}
