#include "app/exit_sequence.h"

namespace velkarn {

void ExitSequence::Add(std::string name, std::function<void()> step) {
    m_steps.push_back({std::move(name), std::move(step), false});
}

void ExitSequence::Run() {
    if (m_running)
        return;
    m_running = true;
    // Index loop: a step may register a late step, which then runs too.
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (m_steps[i].done)
            continue;
        m_steps[i].done = true;
        auto action = m_steps[i].action;
        const std::string name = m_steps[i].name;
        if (action)
            action();
        m_completed.push_back(name);
    }
    m_running = false;
    m_ran = true;
}

} // namespace velkarn
