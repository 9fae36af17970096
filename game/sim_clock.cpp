// The simulated clock: a time in ms and a list of pending one-shot timers.
#include "game/sim_clock.h"

#include <algorithm>
#include <vector>

namespace {

// Reset by installSimClock; lives for the process. The time is kept in 64 bits so timers stay in
// order however long a run lasts; readers see it wrapped to 32 bits, as GLUT's counter wraps.
long long nowMs = 0;
unsigned long long timersArmed = 0;
std::vector<SimClockTimer> pending;

int simElapsedMs() { return static_cast<int>(static_cast<unsigned int>(nowMs)); }

void simArmTimer(unsigned int delayMs, TimerCallback callback, int value)
{
    pending.push_back({nowMs + delayMs, timersArmed++, callback, value});
}

} // namespace

void installSimClock()
{
    nowMs = 0;
    timersArmed = 0;
    pending.clear();
    activeClock = {simElapsedMs, simArmTimer};
}

int simClockNow() { return simElapsedMs(); }

void simClockAdvance(int ms) { nowMs += ms; }

void simClockFireDue()
{
    for (;;) {
        auto next = std::min_element(pending.begin(), pending.end(),
                                     [](const SimClockTimer& a, const SimClockTimer& b) {
                                         return a.dueMs != b.dueMs ? a.dueMs < b.dueMs
                                                                   : a.armedOrder < b.armedOrder;
                                     });
        if (next == pending.end() || next->dueMs > nowMs)
            return;
        const SimClockTimer timer = *next;
        pending.erase(next);
        timer.callback(timer.value);
    }
}

void simClockAdvanceAndFire(int ms)
{
    simClockAdvance(ms);
    simClockFireDue();
}

int simClockPendingTimers() { return static_cast<int>(pending.size()); }

SimClockState simClockSave() { return {nowMs, timersArmed, pending}; }

void simClockRestore(const SimClockState& state)
{
    nowMs = state.nowMs;
    timersArmed = state.timersArmed;
    pending = state.pending; // reuses the vector's storage, so a search restoring often rarely allocates
}
