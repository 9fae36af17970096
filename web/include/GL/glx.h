// The browser has no window system of OpenGL's own: a context is current once the page's WebGL
// context is set up, which is all the game asks of this header.
#pragma once

typedef struct BrowserContext* GLXContext;

GLXContext glXGetCurrentContext();
