// The simulated clock: a time in ms and a list of pending one-shot timers.
#include "game/sim_clock.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

// Reset by installSimClock; lives for the process. The time is kept in 64 bits so timers stay in
// order however long a run lasts; readers see it wrapped to 32 bits, as GLUT's counter wraps.
SimClockState state;

int simElapsedMs() { return static_cast<int>(static_cast<unsigned int>(state.nowMs)); }

void simArmTimer(unsigned int delayMs, TimerCallback callback, int value)
{
    state.pending.push_back({state.nowMs + delayMs, state.timersArmed++, callback, value});
}

} // namespace

void installSimClock()
{
    state = SimClockState{};
    activeClock = {simElapsedMs, simArmTimer};
}

int simClockNow() { return simElapsedMs(); }

void simClockAdvance(int ms) { state.nowMs += ms; }

void simClockFireDue()
{
    for (;;) {
        auto next = std::min_element(state.pending.begin(), state.pending.end(),
                                     [](const SimClockTimer& a, const SimClockTimer& b) {
                                         return std::tie(a.dueMs, a.armedOrder) < std::tie(b.dueMs, b.armedOrder);
                                     });
        if (next == state.pending.end() || next->dueMs > state.nowMs)
            return;
        const SimClockTimer timer = *next;
        state.pending.erase(next);
        timer.callback(timer.value);
    }
}

void simClockAdvanceAndFire(int ms)
{
    simClockAdvance(ms);
    simClockFireDue();
}

int simClockPendingTimers() { return static_cast<int>(state.pending.size()); }

SimClockState simClockSave() { return state; }

void simClockRestore(const SimClockState& saved)
{
    state = saved; // reuses the vector's storage, so a search restoring often rarely allocates
}
