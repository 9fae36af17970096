// STAND-IN until the world drawing lands: the scene stays black; only the on-screen text shows.
#include "sim/world_draw.h"

void drawWorld() {}
