// Vantor Sprint: start-up and the hand-over to GLUT's main loop.
#include <GL/glut.h>

#include "game/banner.h"
#include "game/camera.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "game/startup.h"

int main(int argc, char** argv)
{
    input = InputState{};
    cameraEye = {0.0f, 0.0f, 0.0f, 1.0f};
    cameraTarget = {0.0f, 0.0f, 0.0f, 1.0f};
    cameraUp = {0.0f, 1.0f, 0.0f, 1.0f};
    resetRace();

    openGameWindow(&argc, argv);
    loadScene();
    printBanner();

    startCountdown();
    glutMainLoop();
    return 0;
}
