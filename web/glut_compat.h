// The GLUT calls the browser's GLUT lacks or handles otherwise: the stroke font, and the keyboard
// without key repeat (a browser repeats a held key as further presses with no release between).
#pragma once

void compatStrokeCharacter(void* font, int character);
void compatIgnoreKeyRepeat(int ignore);
void compatKeyboardFunc(void (*callback)(unsigned char key, int x, int y));
void compatKeyboardUpFunc(void (*callback)(unsigned char key, int x, int y));
