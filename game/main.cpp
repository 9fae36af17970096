// Vantor Sprint: start-up and the hand-over to GLUT's main loop.
#include <GL/glut.h>

#include "game/banner.h"
#include "game/race_flow.h"
#include "game/startup.h"

int main(int argc, char** argv)
{
    resetControlsAndCamera();
    resetRace();

    openGameWindow(&argc, argv);
    loadScene();
    printBanner();

    startCountdown();
    glutMainLoop();
    return 0;
}
