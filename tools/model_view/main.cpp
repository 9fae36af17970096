// vantor-model-view: shows a model as the game draws it, from any side, and loads it again while it
// is being edited. Left drag orbits, right drag or the wheel zooms, r reloads the files, o switches
// the outlines between edge lines and faces drawn as lines, g shows a track block, Esc quits.
// Usage: vantor-model-view FILE.obj [--scale S] [--shot FILE.png [--yaw DEG] [--pitch DEG]]
// With --shot it draws one frame, writes the picture and ends: status 0, or 1 when the picture
// cannot be written; 2 for a usage error.
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "tools/model_view/viewer.h"

namespace {

constexpr int WindowWidth = 640, WindowHeight = 480;
constexpr float DegreesPerPixel = 0.5f;
constexpr float ZoomPerPixel = 1.01f, ZoomPerWheelStep = 1.15f;

std::unique_ptr<ModelViewer> viewer;
int width = WindowWidth, height = WindowHeight;
int dragButton = -1, dragX = 0, dragY = 0;

int usage()
{
    std::fprintf(stderr, "usage: vantor-model-view FILE.obj [--scale S] [--shot FILE.png [--yaw DEG] [--pitch DEG]]\n");
    return 2;
}

bool number(const char* text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && *end == '\0' && value == value && value > -1e30f && value < 1e30f;
}

void display()
{
    viewer->draw(width, height);
    glutSwapBuffers();
}

void reshape(int w, int h)
{
    width = w;
    height = h;
}

void keyboard(unsigned char key, int, int)
{
    switch (key) {
    case 'r': case 'R': viewer->reload(); break;
    case 'o': case 'O': viewer->toggleOutlines(); break;
    case 'g': case 'G': viewer->toggleTrackBlock(); break;
    case 27: viewer.reset(); glutLeaveMainLoop(); return; // Esc: the model unloaded while its window is still there
    default: return;
    }
    glutPostRedisplay();
}

void mouse(int button, int state, int x, int y)
{
    // The wheel comes as buttons 3 (away) and 4 (toward).
    if ((button == 3 || button == 4) && state == GLUT_DOWN) {
        viewer->zoom(button == 3 ? 1.0f / ZoomPerWheelStep : ZoomPerWheelStep);
        glutPostRedisplay();
        return;
    }
    dragButton = state == GLUT_DOWN ? button : -1;
    dragX = x;
    dragY = y;
}

void motion(int x, int y)
{
    if (dragButton == GLUT_LEFT_BUTTON)
        viewer->orbit(static_cast<float>(x - dragX) * DegreesPerPixel, static_cast<float>(y - dragY) * DegreesPerPixel);
    else if (dragButton == GLUT_RIGHT_BUTTON)
        viewer->zoom(std::pow(ZoomPerPixel, static_cast<float>(y - dragY)));
    dragX = x;
    dragY = y;
    glutPostRedisplay();
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    const char* file = nullptr;
    const char* shot = nullptr;
    float scale = 1.0f, yaw = 30.0f, pitch = 20.0f;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue && number(argv[i + 1], scale) && scale != 0.0f)
            ++i;
        else if (std::strcmp(argv[i], "--yaw") == 0 && hasValue && number(argv[i + 1], yaw))
            ++i;
        else if (std::strcmp(argv[i], "--pitch") == 0 && hasValue && number(argv[i + 1], pitch))
            ++i;
        else if (std::strcmp(argv[i], "--shot") == 0 && hasValue)
            shot = argv[++i];
        else if (argv[i][0] != '-' && file == nullptr)
            file = argv[i];
        else
            return usage();
    }
    if (file == nullptr)
        return usage();

    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WindowWidth, WindowHeight);
    glutCreateWindow("Vantor Sprint model viewer");
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    // The game's lighting: depth test, lighting and light 0 at its defaults.
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    // The picture is written from the directory the viewer was started in, before it moves into
    // the model's folder.
    const std::string shotPath = shot == nullptr ? "" : std::filesystem::absolute(shot).string();
    viewer = std::make_unique<ModelViewer>(file, scale);
    viewer->setView(yaw, pitch);
    if (shot != nullptr) {
        viewer->draw(width, height);
        const bool written = viewer->writePicture(shotPath, width, height);
        if (!written)
            std::fprintf(stderr, "vantor-model-view: cannot write %s\n", shotPath.c_str());
        viewer.reset();
        return written ? 0 : 1;
    }
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutMainLoop();
    viewer.reset();
    return 0;
}
