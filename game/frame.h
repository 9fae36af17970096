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

// The simulation of one frame: the input or grapple step while racing, then gravity, friction and
// the integration with its track test. Shared by the game and the headless simulator.
void simulateFrame();

// What a frame does to the state, less every OpenGL call: the simulation, then, when the race has
// ended, the end screen's effects (the grapple let go, the screen marked shown, the restart).
void frameWithoutDrawing();

// One frame up to its buffer swap: simulate, draw the world and the text, swap.
void drawFrame();

// GLUT's display and idle callback: drawFrame, then the frame timing.
void frame();

struct Viewport {
    int x, y, width, height;
};

// The largest 4:3 rectangle centred in a window of the given size (integer arithmetic).
Viewport letterboxViewport(int width, int height);

// GLUT's reshape callback: the perspective projection and the letterboxed viewport.
void reshape(int width, int height);
