// vantor-model-view: shows a model as the game draws it, from any side, and loads it again while it
// is being edited. Left drag orbits, right drag or the wheel zooms, r reloads the files, o switches
// the outlines between edge lines and faces drawn as lines, g shows a track block, Esc quits.
// Usage: vantor-model-view FILE.obj [--scale S] [--shot FILE.png [--yaw DEG] [--pitch DEG]], or
// --help (-h) for the usage on standard output, answered before any display is needed.
// With --shot it draws one frame, writes the picture and ends: status 0, or 1, writing nothing,
// when the model cannot be loaded or the picture cannot be written; 2 for a usage error. Without
// --shot a model that cannot be loaded leaves the sky, until it is there and r reads it.
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

constexpr const char* Usage =
    "usage: vantor-model-view FILE.obj [--scale S] [--shot FILE.png [--yaw DEG] [--pitch DEG]]\n"
    "Draws the model as Vantor Sprint does. Left drag orbits, right drag or the wheel zooms, r reads\n"
    "the files again, o switches the outlines, g shows a track block, Esc quits.\n"
    "  --scale S        multiplies every coordinate by S, as the game does for some models\n"
    "  --shot FILE.png  writes one picture, seen from --yaw DEG around the model and --pitch DEG\n"
    "                   above it, and ends: status 1, without a picture, when the model cannot be\n"
    "                   loaded or the picture cannot be written\n";

struct Options {
    const char* file = nullptr;
    const char* shot = nullptr;
    float scale = 1.0f, yaw = 30.0f, pitch = 20.0f;
};


bool number(const char* text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && *end == '\0' && value == value && value > -1e30f && value < 1e30f;
}

// False for a command line the viewer does not understand.
bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue && number(argv[i + 1], o.scale) && o.scale != 0.0f)
            ++i;
        else if (std::strcmp(argv[i], "--yaw") == 0 && hasValue && number(argv[i + 1], o.yaw))
            ++i;
        else if (std::strcmp(argv[i], "--pitch") == 0 && hasValue && number(argv[i + 1], o.pitch))
            ++i;
        else if (std::strcmp(argv[i], "--shot") == 0 && hasValue)
            o.shot = argv[++i];
        else if (argv[i][0] != '-' && o.file == nullptr)
            o.file = argv[i];
        else
            return false;
    }
    return o.file != nullptr;
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
    // Help is answered before glutInit, which ends the program where there is no display; the
    // rest is read after it, which takes its own options (-display, -geometry) out of the line.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
    }
    glutInit(&argc, argv);
    Options o;
    if (!parse(argc, argv, o)) {
        std::fputs(Usage, stderr);
        return 2;
    }

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
    const std::string shotPath = o.shot == nullptr ? "" : std::filesystem::absolute(o.shot).string();
    viewer = std::make_unique<ModelViewer>(o.file, o.scale);
    viewer->setView(o.yaw, o.pitch);
    if (o.shot != nullptr) {
        // A picture of the sky alone would pass for a model's, in a script that makes pictures.
        if (!viewer->loaded()) {
            std::fprintf(stderr, "vantor-model-view: cannot load %s; no picture written\n", o.file);
            viewer.reset();
            return 1;
        }
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
