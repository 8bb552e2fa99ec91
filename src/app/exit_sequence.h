// The ordered teardown the main window runs on exit (tray Exit, Close, the
// "KILL" instance message): its owner registers named steps in order, and
// Run() performs every step once, in that order. A second Run(), or one
// started from inside a step (a "KILL" arriving while exiting), does nothing
// more, so no resource is released twice.
//
// Thread safety: UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velkarn {

class ExitSequence {
public:
    void Add(std::string name, std::function<void()> step);

    // Runs the steps not run yet, in registration order.
    void Run();

    bool HasRun() const { return m_ran; }
    // Names of the steps that have run, in order (for the trace and tests).
    const std::vector<std::string>& Completed() const { return m_completed; }

private:
    struct Step {
        std::string name;
        std::function<void()> action;
        bool done = false;
    };
    std::vector<Step> m_steps;
    std::vector<std::string> m_completed;
    bool m_running = false;
    bool m_ran = false;
};

} // namespace velkarn
