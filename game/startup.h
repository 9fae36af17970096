// The game's start-up: the window with its callbacks, and the scene with its models and lights.
#pragma once

// Hands the command line to GLUT and opens the 640 x 480 window "Vantor Sprint" at (100, 100) with
// the game's callbacks registered.
void openGameWindow(int* argc, char** argv);

// Creates the sky's quadric, loads the scenery and the grapple points, and switches on depth
// testing and the one light. Needs the window's OpenGL context.
void loadScene();
