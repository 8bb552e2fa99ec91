#include "ui/main/trace.h"

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
    std::string text = "velkarn-trace: ";
    text.append(line);
    text.push_back('\n');
    std::lock_guard lock(mutex);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

} // namespace velkarn
