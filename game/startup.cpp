// The game's start-up: the window, its callbacks, the scene's models and the lights.
#include "game/startup.h"

#include <GL/glut.h>

#include "assets/model_loader.h"
#include "game/banner.h"
#include "game/camera.h"
#include "game/frame.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "sim/grapple.h"

void resetControlsAndCamera()
{
    input = InputState{};
    cameraEye = {};
    cameraTarget = {};
    cameraUp = {0.0f, 1.0f, 0.0f};
}

void openGameWindow(int* argc, char** argv)
{
    // The command line goes to GLUT unchanged; the game has no options of its own.
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(640, 480);
    glutCreateWindow("Vantor Sprint");
    // A key held down repeats as release-and-press pairs from the window system; the game must only
    // see the real release, or holding space on the end screen would restart before it is let go.
    glutIgnoreKeyRepeat(1);

    glutDisplayFunc(frame);
    glutIdleFunc(frame);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutMouseFunc(mouseButton);
}

void loadScene()
{
    quadric = gluNewQuadric();

    // A model that fails to load does not stop the game; its loader has said why.
    loadModel(groundBlockModel, "model_ground_block.obj", 20000.0f);
    loadModel(carModel, "model_car.obj", 1.0f);
    loadModel(buildingsModel, "model_buildings.obj", 1.0f);
    setupGrapplePoints();

    // Light 0 keeps OpenGL's defaults and the clear colour stays black.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void startGame(int* argc, char** argv)
{
    resetControlsAndCamera();
    resetRace();
    openGameWindow(argc, argv);
    loadScene();
    printBanner();
    startCountdown();
}
