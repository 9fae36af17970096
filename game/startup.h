// The game's start-up: the window with its callbacks, and the scene with its models and lights.
#pragma once

// Start-up's first step: no control held, the camera's eye and target at the origin, y up.
void resetControlsAndCamera();

// Hands the command line to GLUT and opens the 640 x 480 window "Vantor Sprint" at (100, 100) with
// the game's callbacks registered.
void openGameWindow(int* argc, char** argv);

// Creates the sky's quadric, loads the scenery and the grapple points, and switches on depth
// testing and the one light. Needs the window's OpenGL context.
void loadScene();

// The game's whole start-up, as its window and the browser page both begin: controls, camera and
// race reset, the window, the scene, the banner on standard output, and the countdown's first tick.
void startGame(int* argc, char** argv);
