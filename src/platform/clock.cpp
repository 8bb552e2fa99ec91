#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace velkarn {

uint64_t SteadyClock::NowMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& SystemClock() {
    static SteadyClock clock;
    return clock;
}

uint32_t TickCount() {
    return static_cast<uint32_t>(SystemClock().NowMs());
}

} // namespace velkarn
