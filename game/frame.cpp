// The frame loop, its timing, and the reshape callback.
#include "game/frame.h"

#include <GL/glut.h>

#include "game/camera.h"
#include "game/clock.h"
#include "game/hud.h"
#include "game/input.h"
#include "game/race_flow.h"
#include "sim/car.h"
#include "sim/grapple.h"
#include "sim/world_draw.h"

GLUquadric* quadric = nullptr;
Model groundBlockModel;
Model carModel;
Model buildingsModel;

namespace {

// Keys and mouse move the car only while racing.
void applyControls()
{
    if (gameState.phase != RacePhase::Racing)
        return;
    if (car.grappleAttached) {
        applyGrapplePull();
    } else if (input.grappleButtonHeld && tryAttachGrapple()) {
        car.grappleAttached = true;
        applyGrapplePull(); // the pull applies in the frame the beam attaches
    } else {
        applyDrivingInput();
    }
}

} // namespace

void runFrame(bool drawing)
{
    if (drawing)
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applyControls();
    applyGravityAndFriction();
    integrateCar();
    updateCamera();
    if (drawing) {
        applyCamera();
        drawWorld();
    }
    // The phase is read again for each display: a frame that ends the race already shows the end
    // screen, and a frame that restarts it shows no running time.
    if (raceHasEnded()) {
        enterEndScreen();
        if (drawing)
            drawEndScreen();
        restartIfRequested();
    } else if (drawing) {
        drawCountdown();
    }
    if (drawing) {
        if (gameState.phase == RacePhase::Racing)
            drawRaceTime();
        glutSwapBuffers();
    }
}

void frame()
{
    runFrame(true);
    // The delta measured here drives the next frame's simulation.
    updateFrameTiming(elapsedMs());
}

Viewport letterboxViewport(int width, int height)
{
    Viewport viewport;
    if (width / ratioWidth > height / ratioHeight) {
        viewport.width = height / ratioHeight * ratioWidth;
        viewport.height = height;
    } else {
        viewport.width = width;
        viewport.height = width / ratioWidth * ratioHeight;
    }
    viewport.x = (width - viewport.width) / 2;
    viewport.y = (height - viewport.height) / 2;
    return viewport;
}

void reshape(int width, int height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FieldOfViewDegrees, static_cast<double>(ratioWidth) / ratioHeight, NearPlane, FarPlane);
    const Viewport viewport = letterboxViewport(width, height);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    // The matrix mode stays at GL_PROJECTION; the camera selects the modelview at every frame.
}
