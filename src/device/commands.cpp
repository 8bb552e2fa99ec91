#include "device/commands.h"

#include "platform/le.h"

#include <algorithm>

namespace velkarn {
namespace {

constexpr size_t kLengthByte = 4;
constexpr size_t kOffsetField = 5;
constexpr size_t kStatusByte = 7;
constexpr size_t kMaxAddress = 0xFFFF;

ReportFrame NewReport(CommandCode code) {
    ReportFrame report{};
    report[0] = kReportId;
    report[3] = static_cast<uint8_t>(code);
    return report;
}

int32_t MapReply(int32_t result, const ReportFrame& reply) {
    if (result != kDeviceSuccess)
        return result;
    if (reply[kStatusByte] == 0xFF)
        return kDeviceStatusFF;
    if (reply[kStatusByte] == 0xFE)
        return kDeviceStatusFE;
    return kDeviceSuccess;
}

// Seals and sends one report; the reply lands in `reply`.
int32_t Exchange(ReportLink& link, ReportFrame& report, ReportFrame& reply) {
    SealReport(report);
    reply.fill(0);
    size_t length = 0;
    return MapReply(link.SendCommand(report, reply, length), reply);
}

int32_t Simple(ReportLink& link, CommandCode code) {
    ReportFrame report = NewReport(code);
    ReportFrame reply;
    return Exchange(link, report, reply);
}

// One report buffer serves the whole transfer and is cleared once: a shorter
// last chunk of a write keeps the previous chunk's trailing bytes, and the
// report sum covers them as they are. The keyboard expects exactly that.
int32_t Transfer(ReportLink& link, CommandCode code, size_t base, size_t total, const uint8_t* source,
                 uint8_t* target) {
    if (total == 0)
        return kDeviceSuccess;
    if (base + total - 1 > kMaxAddress)
        return kDeviceOutOfRange;
    ReportFrame report = NewReport(code);
    ReportFrame reply;
    for (size_t s = 0; s < total; s += kReportDataSize) {
        const size_t chunk = s + kReportDataSize < total ? kReportDataSize : total - s;
        report[kLengthByte] = static_cast<uint8_t>(chunk);
        le::PutU16(report, kOffsetField, static_cast<uint16_t>(base + s));
        report[kStatusByte] = 0;
        if (source)
            std::copy_n(source + s, chunk, report.begin() + kReportDataOffset);
        const int32_t result = Exchange(link, report, reply);
        if (result != kDeviceSuccess)
            return result;
        if (target)
            std::copy_n(reply.begin() + kReportDataOffset, chunk, target + s);
    }
    return kDeviceSuccess;
}

// One report with n data bytes at an area address.
int32_t SmallWrite(ReportLink& link, CommandCode code, std::span<const uint8_t> bytes, int n,
                   size_t address) {
    if (n < 0 || static_cast<size_t>(n) > kReportDataSize || static_cast<size_t>(n) > bytes.size() ||
        address > kMaxAddress)
        return kDeviceOutOfRange;
    ReportFrame report = NewReport(code);
    report[kLengthByte] = static_cast<uint8_t>(n);
    le::PutU16(report, kOffsetField, static_cast<uint16_t>(address));
    if (n > 0)
        std::copy_n(bytes.begin(), n, report.begin() + kReportDataOffset);
    ReportFrame reply;
    return Exchange(link, report, reply);
}

} // namespace

int32_t BeginUpdate(ReportLink& link) {
    return Simple(link, CommandCode::kBeginUpdate);
}

int32_t EndUpdate(ReportLink& link) {
    link.LinkClock().SleepMs(kEndUpdatePauseMs);
    return Simple(link, CommandCode::kEndUpdate);
}

int32_t TestCommand(ReportLink& link) {
    return Simple(link, CommandCode::kTestCommand);
}

int32_t ReadStatus(std::span<uint8_t, kStatusRecordSize> status, ReportLink& link) {
    ReportFrame report = NewReport(CommandCode::kReadStatus);
    report[kLengthByte] = kStatusRecordSize;
    ReportFrame reply;
    const int32_t result = Exchange(link, report, reply);
    if (result == kDeviceSuccess)
        std::copy_n(reply.begin() + kReportDataOffset, kStatusRecordSize, status.begin());
    return result;
}

int32_t WriteStatus(std::span<const uint8_t, kStatusRecordSize> status, ReportLink& link) {
    ReportFrame report = NewReport(CommandCode::kWriteStatus);
    report[kLengthByte] = kStatusRecordSize;
    std::copy(status.begin(), status.end(), report.begin() + kReportDataOffset);
    ReportFrame reply;
    return Exchange(link, report, reply);
}

int32_t ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset, ReportLink& link) {
    if (n < 0 || static_cast<size_t>(n) > kReportDataSize || offset < 0 ||
        static_cast<size_t>(offset) > kMaxAddress)
        return kDeviceOutOfRange;
    ReportFrame report = NewReport(CommandCode::kReadLightingTable);
    report[kLengthByte] = static_cast<uint8_t>(n);
    le::PutU16(report, kOffsetField, static_cast<uint16_t>(offset));
    ReportFrame reply;
    const int32_t result = Exchange(link, report, reply);
    if (result == kDeviceSuccess)
        std::copy_n(reply.begin() + kReportDataOffset, kReportDataSize, out.begin());
    return result;
}

int32_t WriteLightingTable(std::span<const uint8_t> bytes, int n, int offset, ReportLink& link) {
    if (offset < 0)
        return kDeviceOutOfRange;
    return SmallWrite(link, CommandCode::kWriteLightingTable, bytes, n, static_cast<size_t>(offset));
}

int32_t ReadKeyMap(std::span<uint8_t, kKeyMapImageSize> map, int bank, ReportLink& link) {
    if (bank < 0 || bank >= kKeyMapBanks)
        return kDeviceOutOfRange;
    return Transfer(link, CommandCode::kReadKeyMap, static_cast<size_t>(bank) * kKeyMapImageSize,
                    kKeyMapImageSize, nullptr, map.data());
}

int32_t WriteKeyMap(std::span<const uint8_t, kKeyMapImageSize> map, int bank, ReportLink& link) {
    if (bank < 0 || bank >= kKeyMapBanks)
        return kDeviceOutOfRange;
    return Transfer(link, CommandCode::kWriteKeyMap, static_cast<size_t>(bank) * kKeyMapImageSize,
                    kKeyMapImageSize, map.data(), nullptr);
}

int32_t ReadMacroArea(std::span<uint8_t> bytes, ReportLink& link) {
    return Transfer(link, CommandCode::kReadMacroArea, 0, bytes.size(), nullptr, bytes.data());
}

int32_t WriteMacroArea(std::span<const uint8_t> bytes, ReportLink& link) {
    return Transfer(link, CommandCode::kWriteMacroArea, 0, bytes.size(), bytes.data(), nullptr);
}

int32_t ReadDefaultMatrix(std::span<uint8_t, kKeyMapImageSize> map, ReportLink& link) {
    return Transfer(link, CommandCode::kReadDefaultMatrix, 0, kKeyMapImageSize, nullptr, map.data());
}

int32_t WriteKeyColours(std::span<const uint8_t> bytes, int n, int position, ReportLink& link) {
    if (position < 0 || position > 125)
        return kDeviceOutOfRange;
    return SmallWrite(link, CommandCode::kWriteKeyColours, bytes, n, static_cast<size_t>(position) * 3);
}

int32_t EnterBootLoader(ReportLink& link) {
    ReportFrame report = NewReport(CommandCode::kEnterBootLoader);
    report[kLengthByte] = static_cast<uint8_t>(CommandCode::kEnterBootLoader);
    return link.SendCommandNoReply(report);
}

} // namespace velkarn
