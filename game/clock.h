// The one seam between the race flow and the passage of time: reading the elapsed-time clock and
// arming one-shot timers. The game runs on GLUT's clock; tests and the headless simulator install
// a simulated one whose timers fire when they advance time.
#pragma once

using TimerCallback = void (*)(int value);

struct Clock {
    int (*elapsedMs)();                                                  // signed ms since start
    void (*armTimer)(unsigned int delayMs, TimerCallback callback, int value); // fires once
};

// The clock in force; GLUT's unless something installed another. Process-wide, set once at start.
extern Clock activeClock;

extern const Clock glutClock;

inline int elapsedMs() { return activeClock.elapsedMs(); }
inline void armTimer(unsigned int delayMs, TimerCallback callback, int value)
{
    activeClock.armTimer(delayMs, callback, value);
}
