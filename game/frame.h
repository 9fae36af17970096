// The frame loop: one simulation step and one picture per call, the frame timing, and the
// letterboxed 4:3 perspective.
#pragma once

#include <GL/glu.h>

#include "assets/model.h"
#include "sim/vector_math.h"

// The display ratio, width to height; also sizes the text projections.
constexpr int ratioWidth = 4;
constexpr int ratioHeight = 3;

constexpr double FieldOfViewDegrees = 45.0; // vertical
constexpr double NearPlane = 1.0;
constexpr double FarPlane = 10000.0;

// Full glow while accelerating forward, half backward, a quarter otherwise.
constexpr Vec3 tailLightColor = {0.922f, 0.325f, 0.0f};
constexpr Vec3 tailLightColorHalf = {0.5f * 0.922f, 0.5f * 0.325f, 0.0f};
constexpr Vec3 tailLightColorQuarter = {0.25f * 0.922f, 0.25f * 0.325f, 0.0f};

// Created once by start-up and never freed; the sky sphere is drawn with it.
extern GLUquadric* quadric;

// The scenery, loaded once at start-up; each releases its OpenGL objects at process end.
extern Model groundBlockModel;
extern Model carModel;
extern Model buildingsModel;

// One frame up to its buffer swap: the controls or the grapple while racing, gravity, friction
// and the car's motion with its track test, the camera, the world, the text, and the end screen's
// restart. Without drawing (the headless simulator, the tests) the frame changes the game's state
// in exactly the same way and makes no OpenGL or GLUT call.
void runFrame(bool drawing);

// GLUT's display and idle callback: a drawn frame, then the frame timing.
void frame();

struct Viewport {
    int x, y, width, height;
};

// The largest 4:3 rectangle centred in a window of the given size (integer arithmetic).
Viewport letterboxViewport(int width, int height);

// GLUT's reshape callback: the perspective projection and the letterboxed viewport.
void reshape(int width, int height);
