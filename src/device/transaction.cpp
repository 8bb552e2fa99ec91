#include "device/transaction.h"

#include <algorithm>
#include <chrono>

namespace velkarn {

uint16_t ReportSum(std::span<const uint8_t, kReportSize> report) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kReportSize; ++i)
        sum += report[i];
    return static_cast<uint16_t>(sum);
}

void SealReport(std::span<uint8_t, kReportSize> report) {
    uint16_t sum = ReportSum(report);
    report[1] = static_cast<uint8_t>(sum);
    report[2] = static_cast<uint8_t>(sum >> 8);
}

Transaction::Transaction(ReportPort& port, Clock& clock, Waiter waiter)
    : m_port(port), m_clock(&clock), m_waiter(std::move(waiter)) {
    if (!m_waiter)
        m_waiter = [](AutoResetEvent& event, uint32_t ms) {
            return event.WaitFor(std::chrono::milliseconds(ms));
        };
}

void Transaction::SetTiming(Clock& clock, Waiter waiter) {
    std::lock_guard lock(m_transactionMutex);
    m_clock = &clock;
    if (waiter)
        m_waiter = std::move(waiter);
}

ReportFrame Transaction::MakeFrame(std::span<const uint8_t> request) {
    ReportFrame frame{};
    std::copy_n(request.begin(), std::min(request.size(), kReportSize), frame.begin());
    return frame;
}

void Transaction::Publish(std::span<uint8_t> reply) {
    // Reset before publishing: a reply that lands between the two must not
    // be wiped out by the reset.
    m_replyEvent.Reset();
    std::lock_guard lock(m_slotMutex);
    m_replyBuffer = reply.data();
    m_replyCapacity = reply.size();
    m_replyLength = 0;
    m_delivered = false;
    m_waiting = true;
}

bool Transaction::Withdraw(size_t& length) {
    std::lock_guard lock(m_slotMutex);
    m_waiting = false;
    m_replyBuffer = nullptr;
    m_replyCapacity = 0;
    length = m_replyLength;
    return m_delivered;
}

void Transaction::Deliver(const uint8_t* data, size_t length) {
    std::lock_guard lock(m_slotMutex);
    if (!m_waiting || !data)
        return;
    size_t n = std::min(length, m_replyCapacity);
    std::copy_n(data, n, m_replyBuffer);
    m_replyLength = n;
    m_delivered = true;
    // One reply per send: anything else that arrives before the caller has
    // looked at this one must not overwrite it.
    m_waiting = false;
    // Signalled under the slot lock, so the signal can never land after the
    // caller has withdrawn and reset the event for its next try.
    m_replyEvent.Set();
}

int32_t Transaction::SendCommand(std::span<const uint8_t> request, std::span<uint8_t> reply,
                                 size_t& replyLength) {
    replyLength = 0;
    std::lock_guard transaction(m_transactionMutex);
    if (m_port.GetDeviceCount() == 0)
        return kDeviceNoKeyboard;
    const ReportFrame frame = MakeFrame(request);
    const uint32_t checksum = m_port.CommandChecksum(frame);

    for (int tries = 0;;) {
        Publish(reply);
        if (m_port.WriteCommand(frame, checksum) <= 0) {
            size_t ignored;
            Withdraw(ignored);
            return kDeviceRefused;
        }
        m_waiter(m_replyEvent, kReplyWaitMs);
        size_t length = 0;
        // The delivery flag, not the wait's result, decides: a reply that
        // arrived just as the wait timed out still counts.
        const bool delivered = Withdraw(length);
        bool retry;
        if (!delivered || reply.size() <= 3 || reply[3] != frame[3]) {
            retry = true;
            if (++tries == kSendTries)
                return kDeviceNoReply;
        } else {
            const bool errorStatus = reply.size() > 7 && (reply[7] == 0xFF || reply[7] == 0xFE);
            retry = errorStatus && ++tries < kSendTries;
        }
        if (!retry) {
            replyLength = length;
            return kDeviceSuccess;
        }
        m_clock->SleepMs(kRetryPauseMs);
    }
}

int32_t Transaction::SendCommandNoReply(std::span<const uint8_t> request) {
    const ReportFrame frame = MakeFrame(request);
    return m_port.WriteCommand(frame, m_port.CommandChecksum(frame));
}

} // namespace velkarn
