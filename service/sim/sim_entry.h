// The twelve entry points of the service library, bound to one process-wide
// SimKeyboard. libpylonet-sim.so exports them under their C names; tests
// that link the core take their addresses by name instead, so that the
// device link can be bound in-process exactly as it binds the shared library.
//
// Thread safety: SetCurrentKeyboard must not race with calls of the entry
// points; set it before binding and clear it after every user has stopped.
#pragma once

#include "pylonet.h"

namespace pylonet_sim {

class SimKeyboard;

void SetCurrentKeyboard(SimKeyboard* keyboard);
SimKeyboard* CurrentKeyboard();

// Address of the entry point of that name, or null for any other name.
void* FindEntryPoint(const char* name);

namespace entry {
int32_t Debug();
int32_t Init(int32_t reserved);
int32_t End();
int32_t RequestGetDeviceCount(const InterfaceSelector*, PylonetCallback, uint32_t, uint32_t, void*);
int32_t DeleteRequestFromUnitId(uint32_t unitId);
int32_t DeleteRequestFromHandle();
int32_t RequestWrite();
int32_t RequestWriteOne(const InterfaceSelector*, PylonetCallback, uint32_t, const uint8_t*, int32_t,
                        uint32_t, void*);
int32_t RequestStatusWrite(const InterfaceSelector*, PylonetCallback, uint32_t, const uint8_t*, int32_t,
                           uint32_t, uint32_t*);
int32_t RequestStatusGet();
int32_t RequestAsyncRead(const InterfaceSelector*, PylonetCallback, uint32_t, uint32_t, uint32_t*);
int32_t RequestStatusSetFeature();
} // namespace entry

} // namespace pylonet_sim
