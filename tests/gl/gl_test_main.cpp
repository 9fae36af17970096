// Runs the OpenGL tests with a real context: a private X server, and one GLUT window whose context
// stays current for every test.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <unistd.h>

#include <fcntl.h>

#include <csignal>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

// The runtime's record of dynamic thread-local blocks takes a block that malloc happened to place
// 16 bytes into a page for an old C library's header, and the leak check then scans a range read
// from the allocator's own bookkeeping and dies of it ("Tracer caught signal 11"). The driver's
// thread-local block lands there or not with the length of the folder the tests run from, so the
// records are left off: the stacks, globals and static thread-local storage are still scanned.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS(); // listing needs no display
    // Xvfb picks a free display itself and writes its number to the pipe once it takes clients. It
    // ends with its last client, so a run that dies before it can stop the server leaves none.
    int ends[2] = {-1, -1};
    pid_t server = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe(ends) == 0 ? ends[1] : -1, 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0); // its probing of taken displays
    const char* xvfb[] = {"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-terminate", nullptr};
    posix_spawnp(&server, "Xvfb", &actions, nullptr, const_cast<char**>(xvfb), environ);
    close(ends[1]);
    std::string display = ":";
    for (char c; read(ends[0], &c, 1) == 1 && c != '\n';)
        display += c;
    setenv("DISPLAY", display.c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);

    int glutArgc = 1;
    glutInit(&glutArgc, argv); // ends the run with a message when there is no display
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
    kill(server, SIGTERM);
    return result;
}
