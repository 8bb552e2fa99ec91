#include "sim_entry.h"

#include "sim_keyboard.h"

#include <atomic>
#include <cstring>

namespace pylonet_sim {
namespace {
std::atomic<SimKeyboard*> g_current{nullptr};
} // namespace

void SetCurrentKeyboard(SimKeyboard* keyboard) {
    g_current.store(keyboard);
}
SimKeyboard* CurrentKeyboard() {
    return g_current.load();
}

namespace entry {
int32_t Debug() {
    return 0;
}
int32_t End() {
    return 0;
}
int32_t DeleteRequestFromHandle() {
    return 0;
}
int32_t RequestWrite() {
    return 0;
}
int32_t RequestStatusGet() {
    return 0;
}
int32_t RequestStatusSetFeature() {
    return 0;
}

int32_t Init(int32_t) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->Init() : 0;
}

int32_t RequestGetDeviceCount(const InterfaceSelector*, PylonetCallback, uint32_t, uint32_t, void*) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->GetDeviceCount() : 0;
}

int32_t DeleteRequestFromUnitId(uint32_t unitId) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->DeleteRequest(unitId) : 0;
}

int32_t RequestWriteOne(const InterfaceSelector* selector, PylonetCallback, uint32_t, const uint8_t* data,
                        int32_t length, uint32_t, void*) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->WriteOne(selector, data, length) : 0;
}

int32_t RequestStatusWrite(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                           const uint8_t* data, int32_t length, uint32_t, uint32_t* unitId) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->StatusWrite(selector, callback, tag, data, length, unitId) : 0;
}

int32_t RequestAsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag, uint32_t,
                         uint32_t* unitId) {
    SimKeyboard* k = CurrentKeyboard();
    return k ? k->AsyncRead(selector, callback, tag, unitId) : 0;
}
} // namespace entry

void* FindEntryPoint(const char* name) {
    struct Named {
        const char* name;
        void* address;
    };
    static const Named kTable[] = {
        {"Debug", reinterpret_cast<void*>(&entry::Debug)},
        {"Init", reinterpret_cast<void*>(&entry::Init)},
        {"End", reinterpret_cast<void*>(&entry::End)},
        {"RequestGetDeviceCount", reinterpret_cast<void*>(&entry::RequestGetDeviceCount)},
        {"DeleteRequestFromUnitId", reinterpret_cast<void*>(&entry::DeleteRequestFromUnitId)},
        {"DeleteRequestFromHandle", reinterpret_cast<void*>(&entry::DeleteRequestFromHandle)},
        {"RequestWrite", reinterpret_cast<void*>(&entry::RequestWrite)},
        {"RequestWriteOne", reinterpret_cast<void*>(&entry::RequestWriteOne)},
        {"RequestStatusWrite", reinterpret_cast<void*>(&entry::RequestStatusWrite)},
        {"RequestStatusGet", reinterpret_cast<void*>(&entry::RequestStatusGet)},
        {"RequestAsyncRead", reinterpret_cast<void*>(&entry::RequestAsyncRead)},
        {"RequestStatusSetFeature", reinterpret_cast<void*>(&entry::RequestStatusSetFeature)},
    };
    for (const auto& n : kTable)
        if (std::strcmp(n.name, name) == 0)
            return n.address;
    return nullptr;
}

} // namespace pylonet_sim
