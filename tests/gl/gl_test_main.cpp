// Runs the OpenGL tests with a real context: a private X server, and one hidden-by-nobody GLUT
// window whose context stays current for every test.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "../e2e/game_harness.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS(); // listing needs no display
    XServer server;
    const std::filesystem::path log = std::filesystem::temp_directory_path() / "vantor-gl-tests-xvfb.log";
    if (!server.start(log)) {
        std::fprintf(stderr, "cannot start Xvfb (see %s)\n", log.c_str());
        return 1;
    }
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

    int glutArgc = 1;
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    const int window = glutCreateWindow("Vantor Sprint GL tests");
    glutDisplayFunc([] {});
    glutMainLoopEvent();

    const int result = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Look for leaks while the driver is still loaded, so that what it keeps for itself can be
    // told apart by the library it came from; what the game allocated shows as a leak of its own.
    __lsan_do_leak_check();
#endif
    // Close the connection before its server goes, or the exit would report a broken display.
    glutDestroyWindow(window);
    glutExit();
    server.stop();
    return result;
}
