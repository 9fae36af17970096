// A simulated elapsed-time clock with GLUT's timer semantics, for tests and the headless
// simulator: time moves only when the owner says so, and due timers fire when it asks.
#pragma once

#include <vector>

#include "game/clock.h"

// Installs the simulated clock as the active clock, at time 0 with no timers armed.
void installSimClock();

// The simulated time in ms.
int simClockNow();

// Moves the simulated time forward by ms without firing anything.
void simClockAdvance(int ms);

// Fires every armed timer whose due time is at or before now, earliest first (ties in the order
// they were armed). Like GLUT, a firing timer reads the clock as it stands, not its due time, so a
// timer it arms is due a full delay after now; it fires in this same call only if that is due too.
void simClockFireDue();

// Advances by ms, then fires what is due: what GLUT's main loop does between two callbacks.
void simClockAdvanceAndFire(int ms);

// The number of timers armed and not yet fired.
int simClockPendingTimers();

// One armed timer: when it is due, and its place in the order of arming that breaks ties.
struct SimClockTimer {
    long long dueMs;
    unsigned long long armedOrder;
    TimerCallback callback;
    int value;
};

// Everything the simulated clock holds, so a search can go back to an earlier moment of a race.
struct SimClockState {
    long long nowMs = 0;
    unsigned long long timersArmed = 0;
    std::vector<SimClockTimer> pending;
};

// A copy of the clock's time and pending timers.
SimClockState simClockSave();

// Puts the clock back to a saved time and pending timers. It does not install the simulated clock.
void simClockRestore(const SimClockState& state);
