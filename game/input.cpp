// The keyboard and mouse callbacks.
#include "game/input.h"

#include <GL/glut.h>

#include "game/race_flow.h"

InputState input;

namespace {

// The flag a driving key controls, in either case so Shift and Caps Lock do not matter; null for
// any other key.
bool* drivingFlagOf(unsigned char key)
{
    switch (key) {
    case 'w': case 'W': return &input.forwardHeld;
    case 's': case 'S': return &input.backwardHeld;
    case 'a': case 'A': return &input.leftHeld;
    case 'd': case 'D': return &input.rightHeld;
    default: return nullptr;
    }
}

} // namespace

void keyDown(unsigned char key, int, int)
{
    // Auto-repeat calls this again and again while a key is held; the flag simply stays set.
    if (bool* flag = drivingFlagOf(key))
        *flag = true;
}

void keyUp(unsigned char key, int, int)
{
    if (bool* flag = drivingFlagOf(key))
        *flag = false;
    else if (key == ' ' && gameState.endScreenShown)
        gameState.restartRequested = true; // the release restarts, and only on the end screen
}

void mouseButton(int button, int state, int, int)
{
    if (button == GLUT_LEFT_BUTTON)
        input.grappleButtonHeld = (state == GLUT_DOWN);
}
