// The keyboard's command set: one function per vendor command, each building
// its report(s), sending them through a ReportLink and mapping the reply
// status. Transfers longer than one report are cut into chunks of 56 bytes.
//
// Every function returns a status code of transaction.h: 1 success; 0, -1,
// -2 from the transaction; -102 / -103 for reply status 0xFF / 0xFE; -201 for
// a bank, length or area address out of range (nothing sent). Reply data is
// copied to the caller only on success; a failed chunked transfer leaves the
// chunks already sent on the keyboard.
//
// Thread safety: the functions keep no state; they block the calling thread
// for the length of their transactions (see Transaction).
#pragma once

#include "device/transaction.h"
#include "model/default_key_map.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace velkarn {

constexpr size_t kStatusRecordSize = 44;
// Fields of the status record.
constexpr size_t kStatusActiveProfile = 10;
constexpr size_t kStatusMacroUnits = 11; // macro memory in 128-byte units
constexpr size_t kMacroUnitSize = 128;
constexpr size_t kLightingTableSize = 126;
constexpr int kKeyMapBanks = 3;

enum class CommandCode : uint8_t {
    kBeginUpdate = 0x01,
    kEndUpdate = 0x02,
    kReadStatus = 0x03,
    kWriteStatus = 0x04,
    kReadLightingTable = 0x05,
    kWriteLightingTable = 0x06,
    kReadKeyMap = 0x07,
    kWriteKeyMap = 0x08,
    kReadMacroArea = 0x09,
    kWriteMacroArea = 0x0A,
    kTestCommand = 0x0D,
    kReadDefaultMatrix = 0x0F,
    kWriteKeyColours = 0x11,
    kEnterBootLoader = 0xEE,
};

// The pause the keyboard needs before EndUpdate.
constexpr uint32_t kEndUpdatePauseMs = 10;

int32_t BeginUpdate(ReportLink& link = DefaultLink());
int32_t EndUpdate(ReportLink& link = DefaultLink());
int32_t TestCommand(ReportLink& link = DefaultLink());

// Macro memory in bytes that a status record offers.
constexpr int32_t MacroCapacityOf(std::span<const uint8_t, kStatusRecordSize> status) {
    return static_cast<int32_t>(status[kStatusMacroUnits] * kMacroUnitSize);
}

int32_t ReadStatus(std::span<uint8_t, kStatusRecordSize> status, ReportLink& link = DefaultLink());
int32_t WriteStatus(std::span<const uint8_t, kStatusRecordSize> status, ReportLink& link = DefaultLink());

// n bytes (0..56) at offset of the lighting table. The read fills all 56
// bytes of `out` from the reply's data field.
int32_t ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset,
                          ReportLink& link = DefaultLink());
// `bytes` must hold at least n (0..56) bytes.
int32_t WriteLightingTable(std::span<const uint8_t> bytes, int n, int offset,
                           ReportLink& link = DefaultLink());

// Bank 0..2; 3 or more gives -201 with nothing sent.
int32_t ReadKeyMap(std::span<uint8_t, kKeyMapImageSize> map, int bank, ReportLink& link = DefaultLink());
int32_t WriteKeyMap(std::span<const uint8_t, kKeyMapImageSize> map, int bank,
                    ReportLink& link = DefaultLink());

// The first bytes.size() bytes of the macro area; 0 bytes gives 1 with
// nothing sent.
int32_t ReadMacroArea(std::span<uint8_t> bytes, ReportLink& link = DefaultLink());
int32_t WriteMacroArea(std::span<const uint8_t> bytes, ReportLink& link = DefaultLink());

int32_t ReadDefaultMatrix(std::span<uint8_t, kKeyMapImageSize> map, ReportLink& link = DefaultLink());

// n bytes (0..56, at least n in `bytes`) at colour position (0..125) x 3.
int32_t WriteKeyColours(std::span<const uint8_t> bytes, int n, int position,
                        ReportLink& link = DefaultLink());

// Puts the keyboard into its boot loader: no report sum, no reply awaited.
// Returns the library's result for the write (> 0 accepted).
int32_t EnterBootLoader(ReportLink& link = DefaultLink());

} // namespace velkarn
