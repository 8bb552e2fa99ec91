// Monotonic millisecond clock and sleeping, behind an interface so that code
// with time-outs and pauses (the report transaction, macro recording) can be
// driven by a test clock instead of real time.
//
// Thread safety: SteadyClock is stateless and may be shared by any threads.
// Test clocks document their own rules.
#pragma once

#include <cstdint>

namespace velkarn {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary, fixed origin; never goes backwards.
    virtual uint64_t NowMs() const = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

// Real time: std::chrono::steady_clock.
class SteadyClock final : public Clock {
public:
    uint64_t NowMs() const override;
    void SleepMs(uint32_t ms) override;
};

// The process-wide real clock.
Clock& SystemClock();

// GetTickCount's stand-in: the low 32 bits of the monotonic milliseconds.
uint32_t TickCount();

} // namespace velkarn
