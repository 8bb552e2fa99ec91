// Trace lines for tests and the start-up benchmark: with VELKARN_TRACE=1 in
// the environment the program reports what it does ("tray ready", "tray
// icon 141", "window shown", the exit steps) as lines on stderr beginning
// with "velkarn-trace: " and ending with the milliseconds since the first
// trace line, " (+12 ms)". Silent otherwise.
//
// Thread safety: Trace may be called from any thread; lines never interleave.
#pragma once

#include <string_view>

namespace velkarn {

bool TraceEnabled();
void Trace(std::string_view line);

} // namespace velkarn
