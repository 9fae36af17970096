// The car: a point with a heading, moved once per frame by the keys, gravity, friction, the
// steering spring and the grapple beam.
#pragma once

#include "sim/vector_math.h"

// Where every race starts: on the start pad, just above the track.
constexpr Vec4 CarStartPosition = {-2.0f, 1.0f, 4.0f};

// One car for the process. resetRace puts position, orientation, velocity and steer back to the
// start; grappleAttached is cleared by the end screen at every frame it is up, and anchor is only
// written when the beam attaches.
struct Car {
    Vec4 position = CarStartPosition; // world units
    Vec4 orientation{};               // degrees about x, y, z; y is the heading
    Vec4 velocity{};                  // car's own frame, units/ms: x side, y up, z forward
    float steer = 0.0f;               // -0.5 to 0.5 from the keys; positive turns right
    bool grappleAttached = false;
    Vec4 anchor{};                    // the grapple point the beam holds
};

extern Car car;

// The keys w, s, a and d, while racing and the beam is neither attached nor attaching.
void applyDrivingInput();

// Gravity and ground friction (not while the beam holds), and the steering spring, every frame.
void applyGravityAndFriction();

// Turns the car, moves it by its velocity, bounces it off the grapple points, holds it at ground
// height and, while racing, runs the finish and ground test.
void integrateCar();
