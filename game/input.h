// The keyboard and mouse callbacks: they only record which controls are held, for the next frame.
#pragma once

// Set false at start-up and never reset: a key held through a restart still counts as held.
struct InputState {
    bool forwardHeld = false;       // w
    bool backwardHeld = false;      // s
    bool leftHeld = false;          // a
    bool rightHeld = false;         // d
    bool grappleButtonHeld = false; // left mouse button
};

extern InputState input;

void keyDown(unsigned char key, int x, int y);
void keyUp(unsigned char key, int x, int y);
void mouseButton(int button, int state, int x, int y);
