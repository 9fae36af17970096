// The start-up banner with the controls, printed after the models' loading reports.
#include "game/banner.h"

#include <cstdio>

void printBanner()
{
    std::fputs("***************************************************\n", stdout);
    std::fputs("***************    VANTOR SPRINT    ***************\n", stdout);
    std::fputs("***************************************************\n\n", stdout);
    std::fputs("CONTROLS:\n", stdout);
    std::fputs("w              Accelerate Forward\n", stdout);
    std::fputs("s              Accelerate Backward\n", stdout);
    std::fputs("a              Turn Left\n", stdout);
    std::fputs("d              Turn Right\n", stdout);
    std::fputs("Mouse Click    Activeate Grapple Beam\n\n", stdout);
    std::fputs("Note: The grapple beam will attach to the closest\n", stdout);
    std::fputs("      grapple point within reach.\n\n", stdout);
    std::fputs("GAMEPLAY:\n", stdout);
    std::fputs("Once you start the game, you're racing against\n", stdout);
    std::fputs("the clock. Try to complete the track as quickly\n", stdout);
    std::fputs("as possible!\n", stdout);
    // The main loop never returns, so a console that is a pipe or a file would otherwise not see
    // the banner until the game ends.
    std::fflush(stdout);
}
