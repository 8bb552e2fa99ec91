#include "ui/main/trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace velkarn {

bool TraceEnabled() {
    static const bool enabled = [] {
        const char* v = std::getenv("VELKARN_TRACE");
        return v && std::strcmp(v, "1") == 0;
    }();
    return enabled;
}

void Trace(std::string_view line) {
    if (!TraceEnabled())
        return;
    static std::mutex mutex;
    static const auto start = std::chrono::steady_clock::now();
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::string text = "velkarn-trace: ";
    text.append(line);
    text.append(" (+" + std::to_string(ms.count()) + " ms)\n");
    std::lock_guard lock(mutex);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace velkarn
