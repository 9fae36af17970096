// Vantor Sprint: start-up and the hand-over to GLUT's main loop.
#include <GL/glut.h>

#include "game/startup.h"

int main(int argc, char** argv)
{
    startGame(&argc, argv);
    glutMainLoop();
    return 0;
}
