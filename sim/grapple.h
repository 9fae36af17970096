// The grapple beam: four points hanging over the hardest stretches of the track, the choice of the
// closest one within reach, the pull toward it, and the bounce off each point's solid box.
#pragma once

#include "assets/model.h"
#include "sim/vector_math.h"

struct GrapplePoint {
    Model model;
    Vec4 position{};
};

constexpr int GrapplePointSlots = 20; // room in the table; only the first GrapplePointCount are used
constexpr int GrapplePointCount = 4;
constexpr float GrappleReach = 750.0f;       // world units; a point exactly this far is out of reach
constexpr float GrapplePull = 0.0005f;       // units/ms per ms toward the anchor
constexpr float GrapplePointScale = 3.0f;    // scale of the point's model
constexpr float GrapplePointHalfSize = 3.0f; // half the edge of each point's solid box

// Lives for the process; placed once by setupGrapplePoints.
extern GrapplePoint grapplePoints[GrapplePointSlots];

// Places the four points. Needs no OpenGL, so the headless simulator uses it as it is.
void placeGrapplePoints();

// Loads each point's model and places the points; a point whose model fails to load still takes
// part in everything.
void setupGrapplePoints();

// How far the beam finds a point from a position, rounded as the reach is compared with it.
float grappleDistance(const Vec4& from, const Vec4& point);

// Finds the closest point strictly nearer than the reach (the earlier of two at the same distance)
// and stores it as the car's anchor. Returns whether one was found.
bool tryAttachGrapple();

// While the button is held, accelerates the car toward the anchor; once it is released, lets go.
void applyGrapplePull();

// Pushes a car that entered a point's box out through its top or bottom face, reversing its
// vertical speed.
void bounceOffGrapplePoints();
