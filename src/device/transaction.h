// The report transaction: one 64-byte command report out, one reply back.
//
// SendCommand writes the report on the command channel and waits for the
// keyboard's reply, which the service library delivers as control-channel
// input to ServiceCallback on a thread of its own; the callback hands it to
// Deliver. A reply is matched by its command code; a missing or mismatched
// reply and an error status are retried, three sends in all.
//
// Thread safety: SendCommand may be called from any thread; one lock is held
// for the whole send-and-wait, so a second caller waits for the first to
// finish and each reply has exactly one waiting caller. Deliver may be called
// from any thread at any time; input that arrives while nobody waits is
// dropped. SendCommandNoReply shares nothing with the transaction.
#pragma once

#include "platform/auto_reset_event.h"
#include "platform/clock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

namespace velkarn {

// Results of every device operation.
constexpr int32_t kDeviceSuccess = 1;
constexpr int32_t kDeviceNoKeyboard = 0;    // no keyboard present, nothing sent
constexpr int32_t kDeviceRefused = -1;      // the library did not accept the report
constexpr int32_t kDeviceNoReply = -2;      // no reply with the right command code in three tries
constexpr int32_t kDeviceStatusFF = -102;   // the keyboard answered status 0xFF
constexpr int32_t kDeviceStatusFE = -103;   // the keyboard answered status 0xFE
constexpr int32_t kDeviceOutOfRange = -201; // bank (or area address, length) out of range; nothing sent

constexpr size_t kReportSize = 64;
constexpr size_t kReportDataOffset = 8;
constexpr size_t kReportDataSize = 56;
constexpr uint8_t kReportId = 0x04;
constexpr int kSendTries = 3;
constexpr uint32_t kReplyWaitMs = 1000;
constexpr uint32_t kRetryPauseMs = 10;

using ReportFrame = std::array<uint8_t, kReportSize>;

// Low 16 bits of the sum of bytes 3..63.
uint16_t ReportSum(std::span<const uint8_t, kReportSize> report);
// Stores ReportSum in bytes 1 and 2; called after every other byte is final.
void SealReport(std::span<uint8_t, kReportSize> report);

// What commands are sent through: the transaction, or a test double.
class ReportLink {
public:
    virtual ~ReportLink() = default;
    // 1 (reply in `reply`, its length in `replyLength`), 0, -1 or -2.
    virtual int32_t SendCommand(std::span<const uint8_t> request, std::span<uint8_t> reply,
                                size_t& replyLength) = 0;
    // The library's result for the write (> 0 accepted); no wait, no reply.
    virtual int32_t SendCommandNoReply(std::span<const uint8_t> request) = 0;
    // The clock for the pauses commands make between reports.
    virtual Clock& LinkClock() = 0;
};

// The transport the transaction writes to: the bound service library.
class ReportPort {
public:
    virtual ~ReportPort() = default;
    virtual int32_t GetDeviceCount() = 0;
    // The request checksum of the command channel and the frame.
    virtual uint32_t CommandChecksum(std::span<const uint8_t, kReportSize> frame) = 0;
    // RequestWriteOne of the frame on the command channel.
    virtual int32_t WriteCommand(std::span<const uint8_t, kReportSize> frame, uint32_t checksum) = 0;
};

// The transaction of the process-wide service library binding.
ReportLink& DefaultLink();

class Transaction final : public ReportLink {
public:
    // Waits for the reply event at most `ms`; true when it was set.
    using Waiter = std::function<bool(AutoResetEvent& event, uint32_t ms)>;

    Transaction(ReportPort& port, Clock& clock, Waiter waiter = {});

    int32_t SendCommand(std::span<const uint8_t> request, std::span<uint8_t> reply,
                        size_t& replyLength) override;
    int32_t SendCommandNoReply(std::span<const uint8_t> request) override;
    Clock& LinkClock() override { return *m_clock; }

    // A reply arrived (control-channel input).
    void Deliver(const uint8_t* data, size_t length);

    // Tests run the waits and pauses on a clock of their own. Not while a
    // transaction runs.
    void SetTiming(Clock& clock, Waiter waiter);

private:
    static ReportFrame MakeFrame(std::span<const uint8_t> request);
    void Publish(std::span<uint8_t> reply);
    // Withdraws the reply buffer; true when a reply was delivered into it.
    bool Withdraw(size_t& length);

    ReportPort& m_port;
    Clock* m_clock;
    Waiter m_waiter;
    std::mutex m_transactionMutex; // held for a whole SendCommand
    AutoResetEvent m_replyEvent;

    // The waiting caller's reply slot, shared with Deliver.
    std::mutex m_slotMutex;
    uint8_t* m_replyBuffer = nullptr;
    size_t m_replyCapacity = 0;
    size_t m_replyLength = 0;
    bool m_waiting = false;
    bool m_delivered = false;
};

} // namespace velkarn
