// The chase camera: 40 units behind the car along its heading, 9 above, looking at the car.
#pragma once

#include "sim/vector_math.h"

// Set by start-up; eye and target are recomputed from the car at every frame, up never changes.
extern Vec4 cameraEye;
extern Vec4 cameraTarget;
extern Vec4 cameraUp;

// Places the eye and the target from the car's current state; no smoothing, no lag.
void updateCamera();

// Loads the modelview matrix with the camera's view.
void applyCamera();
