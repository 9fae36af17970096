// GLUT's elapsed-time clock and timers behind the clock seam.
#include "game/clock.h"

#include <GL/glut.h>

namespace {

int glutElapsedMs() { return glutGet(GLUT_ELAPSED_TIME); }

void glutArmTimer(unsigned int delayMs, TimerCallback callback, int value)
{
    glutTimerFunc(delayMs, callback, value);
}

} // namespace

const Clock glutClock = {glutElapsedMs, glutArmTimer};
Clock activeClock = glutClock;
