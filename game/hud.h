// The on-screen text: the countdown, the running race time and the end screens, drawn in the GLUT
// stroke font over the finished 3D picture.
#pragma once

#include <cstdint>
#include <string>

// Draws "3", "2", "1" or "GO!" for the current countdown value; nothing at -1.
void drawCountdown();

// Draws the running race time in the top-right corner.
void drawRaceTime();

// Draws the win or disqualification screen: the title, the final time of a win, and the prompt.
void drawEndScreen();

// Pushes an orthographic projection 4 x size by 3 x size units for one text item.
void beginHudProjection(int size);

// Draws a NUL-terminated byte string with its baseline starting at (x, y, z), in the text colour.
void drawStrokeText(const char* text, float x, float y, float z);

// The prefix, then the time as MM:SS.HH; anything from 99:59.99 up shows 99:59.99.
std::string formatRaceTime(std::uint32_t ms, const char* prefix);
