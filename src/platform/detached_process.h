// Starting another program that lives on by itself: detached from our
// session, stdin/stdout/stderr on /dev/null, never waited for and never a
// zombie of ours (it is reparented through a short-lived middle process).
//
// Thread safety: any thread. Only async-signal-safe calls run between fork
// and exec, so starting from a threaded process is safe.
#pragma once

#include <string>
#include <vector>

namespace velkarn {

// False when program is not an executable file or the fork failed; a
// program that starts and then fails is not reported.
bool StartDetached(const std::string& program, const std::vector<std::string>& args = {});

} // namespace velkarn
