// Finding another running copy of the program: the first process of the
// same user, other than the caller, whose executable base name equals a
// given name without regard to case. The executable is /proc/<pid>/exe, or
// the first word of /proc/<pid>/cmdline where that link cannot be read.
//
// Thread safety: stateless; any thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velkarn {

// Process id, or 0 when there is none. The caller is never found, nor
// excludePid when it is not 0. When `preferred` is given, a matching process
// it accepts wins over the first match.
int FindProcessByName(std::string_view programFileName, int excludePid = 0,
                      const std::function<bool(int pid)>& preferred = {});

// Base name of the executable of pid as the lookup sees it; empty if unknown.
std::string ProcessProgramName(int pid);

} // namespace velkarn
