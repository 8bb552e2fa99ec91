// The keyboard service library interface.
//
// The configuration utility never opens the keyboard itself: every report to
// it and every reply and event from it goes through a service library that is
// loaded at run time (libpylonet.so for the real keyboard, libpylonet-sim.so
// for the simulated one). Both export exactly the twelve entry points below
// with C linkage. The structures are an in-process C ABI shared by the
// utility and the library, so they are plain C structs in the natural layout
// of the platform; the 64-byte reports that travel through them are opaque
// byte arrays here.
//
// Ownership and lifetime
// - Selectors, data buffers and unit-id pointers passed to an entry point are
//   owned by the caller. The library reads (or, for unit ids, writes) them
//   only during the call; it copies whatever it still needs afterwards.
// - A ServiceNotification, the RequestRecord it points to, the InputBlock and
//   the received bytes are owned by the library and valid only until the
//   callback returns. The callback copies what it keeps.
//
// Threads
// - Entry points may be called from any thread, concurrently.
// - The library calls back on threads of its own, never on the caller's
//   thread and never from inside an entry point. Replies and device-count
//   notifications of the control channel come from one thread, events of the
//   consumer channel from another, so a callback that blocks while handling a
//   consumer event does not hold up the reply a transaction waits for.
// - The callback must return promptly for control-channel input; it returns 1.
//
// Results
// - Init: > 0 the library is usable; <= 0 it is not.
// - RequestGetDeviceCount: number of keyboards present, 0 = none.
// - RequestWriteOne: > 0 the report was accepted for sending; <= 0 refused.
// - RequestAsyncRead, RequestStatusWrite, DeleteRequestFromUnitId: callers do
//   not rely on the result; a registration writes the new request's unit id
//   (never 0) through its last argument.
// - The six entry points that the utility never calls take no arguments and
//   return 0; they exist so that a library can be checked for completeness.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// Names one HID interface of the keyboard. 16 bytes; flags is 0x0000000F (one
// bit for each of the four following fields) in every selector.
typedef struct InterfaceSelector {
    uint32_t flags;
    uint16_t vendorId;
    uint16_t productId;
    uint16_t usagePage;
    uint16_t usage;
    uint32_t reserved;
} InterfaceSelector;

// The constant description of one request, as summed by the request checksum:
// selector, tag (stored little-endian) and the low 32 bits of the callback's
// address (0 for requests without a callback). 24 bytes.
typedef struct ChannelRecord {
    InterfaceSelector selector;
    uint32_t tag;
    uint32_t callbackLow;
} ChannelRecord;

// Library-side bookkeeping of a consumer-channel input. Only `data` (offset
// 32) is part of the contract: it points to the received bytes.
typedef struct InputBlock {
    uint8_t reserved[32];
    const uint8_t* data;
} InputBlock;

// The request a notification concerns.
// - tag: the tag given when the request was registered.
// - count: kind 1, the number of bytes received; kind 0, the number of
//   keyboards now present.
// - data: kind 1, the received bytes (what the control channel reads).
// - input: kind 1, the input block (what the consumer channel reads).
typedef struct RequestRecord {
    uint32_t tag;
    uint32_t count;
    const uint8_t* data;
    const InputBlock* input;
} RequestRecord;

// kind 1 = input arrived for the request; kind 0 = the number of keyboards
// changed (delivered with the control channel's tag); other kinds are ignored.
typedef struct ServiceNotification {
    uint32_t kind;
    uint32_t pad;
    const RequestRecord* request;
} ServiceNotification;

enum {
    kPylonetNotifyDeviceCount = 0,
    kPylonetNotifyInput = 1,
    kPylonetReportSize = 64,
    kPylonetSelectorFlags = 0x0F,
};

typedef int32_t (*PylonetCallback)(const ServiceNotification* notification);

// The twelve entry points, in the order they are looked up.
int32_t Debug(void);
int32_t Init(int32_t reserved);
int32_t End(void);
int32_t RequestGetDeviceCount(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                              uint32_t checksum, void* reserved);
int32_t DeleteRequestFromUnitId(uint32_t unitId);
int32_t DeleteRequestFromHandle(void);
int32_t RequestWrite(void);
// Sends one report of `length` bytes (always 64 from the utility) to the
// selected interface. The keyboard's reply arrives later as input of the
// control channel.
int32_t RequestWriteOne(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                        const uint8_t* data, int32_t length, uint32_t checksum, void* reserved);
// Registers a status (output report) write of `length` bytes to the selected
// interface; the new request's unit id is written through `unitId`.
int32_t RequestStatusWrite(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                           const uint8_t* data, int32_t length, uint32_t checksum, uint32_t* unitId);
int32_t RequestStatusGet(void);
// Registers a standing read of the selected interface: from now on every
// input is reported to `callback` with `tag` until the request is deleted.
int32_t RequestAsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                         uint32_t checksum, uint32_t* unitId);
int32_t RequestStatusSetFeature(void);

typedef int32_t (*PylonetDebugFn)(void);
typedef int32_t (*PylonetInitFn)(int32_t);
typedef int32_t (*PylonetEndFn)(void);
typedef int32_t (*PylonetGetDeviceCountFn)(const InterfaceSelector*, PylonetCallback, uint32_t, uint32_t,
                                           void*);
typedef int32_t (*PylonetDeleteFromUnitIdFn)(uint32_t);
typedef int32_t (*PylonetDeleteFromHandleFn)(void);
typedef int32_t (*PylonetWriteFn)(void);
typedef int32_t (*PylonetWriteOneFn)(const InterfaceSelector*, PylonetCallback, uint32_t, const uint8_t*,
                                     int32_t, uint32_t, void*);
typedef int32_t (*PylonetStatusWriteFn)(const InterfaceSelector*, PylonetCallback, uint32_t, const uint8_t*,
                                        int32_t, uint32_t, uint32_t*);
typedef int32_t (*PylonetStatusGetFn)(void);
typedef int32_t (*PylonetAsyncReadFn)(const InterfaceSelector*, PylonetCallback, uint32_t, uint32_t,
                                      uint32_t*);
typedef int32_t (*PylonetStatusSetFeatureFn)(void);

#ifdef __cplusplus
} // extern "C"

static_assert(sizeof(InterfaceSelector) == 16);
static_assert(offsetof(InterfaceSelector, vendorId) == 4);
static_assert(offsetof(InterfaceSelector, usagePage) == 8);
static_assert(offsetof(InterfaceSelector, reserved) == 12);
static_assert(sizeof(ChannelRecord) == 24);
static_assert(offsetof(InputBlock, data) == 32);
static_assert(offsetof(RequestRecord, tag) == 0);
static_assert(offsetof(RequestRecord, count) == 4);
static_assert(offsetof(RequestRecord, data) == 8);
static_assert(offsetof(RequestRecord, input) == 16);
static_assert(offsetof(ServiceNotification, request) == 8);
#endif
