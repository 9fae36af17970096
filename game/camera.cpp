// The chase camera.
#include "game/camera.h"

#include <GL/glu.h>

#include "sim/car.h"

constexpr float CameraDistance = 40.0f; // units behind the car, along its ground heading
constexpr float CameraHeight = 9.0f;    // units above the car, however it is tilted

// Start-up gives them their values.
Vec4 cameraEye;
Vec4 cameraTarget;
Vec4 cameraUp;

void updateCamera()
{
    Vec4 forward = {0.0f, 0.0f, 1.0f};
    forward = rotateAboutAxis('x', car.orientation.x, forward);
    forward = rotateAboutAxis('y', car.orientation.y, forward);
    forward = rotateAboutAxis('z', car.orientation.z, forward);

    // The forward direction's height is not used: the eye keeps its height above the car.
    const Vec4& p = car.position;
    cameraEye.x = p.x - CameraDistance * forward.x;
    cameraEye.y = p.y + CameraHeight;
    cameraEye.z = p.z - CameraDistance * forward.z;
    cameraTarget.x = p.x;
    cameraTarget.y = p.y;
    cameraTarget.z = p.z;
}

void applyCamera()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, cameraTarget.x, cameraTarget.y, cameraTarget.z,
              cameraUp.x, cameraUp.y, cameraUp.z);
}
