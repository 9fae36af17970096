// The input callbacks and the chase camera.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fresh_game.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { startFreshGame(); }
};

TEST_F(InputTest, LettersInEitherCaseSetAndClearTheirOwnFlag)
{
    struct Key {
        unsigned char lower, upper;
        bool* flag;
    };
    const Key keys[] = {{'w', 'W', &input.forwardHeld},
                        {'s', 'S', &input.backwardHeld},
                        {'a', 'A', &input.leftHeld},
                        {'d', 'D', &input.rightHeld}};
    for (const Key& key : keys) {
        keyDown(key.lower, 10, 20);
        EXPECT_TRUE(*key.flag);
        keyDown(key.lower, 10, 20); // auto-repeat
        EXPECT_TRUE(*key.flag);
        keyUp(key.upper, 0, 0); // pressed as lower case, released with Shift
        EXPECT_FALSE(*key.flag);
        keyDown(key.upper, 0, 0);
        EXPECT_TRUE(*key.flag);
        keyUp(key.lower, 0, 0);
        EXPECT_FALSE(*key.flag);
        // Only this key's flag moved.
        int held = input.forwardHeld + input.backwardHeld + input.leftHeld + input.rightHeld;
        keyDown(key.lower, 0, 0);
        EXPECT_EQ(input.forwardHeld + input.backwardHeld + input.leftHeld + input.rightHeld, held + 1);
        keyUp(key.lower, 0, 0);
    }
}

TEST_F(InputTest, OtherKeysAndTheSpaceBarPressDoNothing)
{
    const InputState before = input;
    for (int key = 0; key < 256; ++key) {
        const auto c = static_cast<unsigned char>(key);
        if (std::strchr("wsadWSAD", key) != nullptr && key != 0)
            continue;
        keyDown(c, 0, 0);
        if (key != ' ')
            keyUp(c, 0, 0);
    }
    EXPECT_EQ(std::memcmp(&before, &input, sizeof input), 0);
    EXPECT_FALSE(gameState.restartRequested);
}

TEST_F(InputTest, OnlyTheLeftButtonWorksTheGrapple)
{
    mouseButton(GLUT_RIGHT_BUTTON, GLUT_DOWN, 5, 5);
    mouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 5, 5);
    EXPECT_FALSE(input.grappleButtonHeld);
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 5);
    EXPECT_TRUE(input.grappleButtonHeld);
    mouseButton(GLUT_RIGHT_BUTTON, GLUT_UP, 5, 5);
    EXPECT_TRUE(input.grappleButtonHeld) << "a right click leaves the beam alone";
    mouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 5, 5);
    EXPECT_FALSE(input.grappleButtonHeld);
}

TEST_F(InputTest, CameraSitsFortyBehindAndNineAboveAlongTheHeading)
{
    updateCamera();
    EXPECT_EQ(cameraEye.x, -2.0f);
    EXPECT_EQ(cameraEye.y, 10.0f);
    EXPECT_EQ(cameraEye.z, -36.0f);
    EXPECT_EQ(cameraTarget.x, -2.0f);
    EXPECT_EQ(cameraTarget.y, 1.0f);
    EXPECT_EQ(cameraTarget.z, 4.0f);

    car.position = {10.0f, 25.0f, 500.0f, 1.0f};
    car.orientation.y = 90.0f; // facing -x
    updateCamera();
    EXPECT_NEAR(cameraEye.x, 50.0f, 1e-4);
    EXPECT_EQ(cameraEye.y, 34.0f) << "the eye keeps its height above a car in the air";
    EXPECT_NEAR(cameraEye.z, 500.0f, 1e-4);

    // For any heading the eye is 40 units from the car on the ground plane, behind its forward axis.
    for (float heading = -720.0f; heading <= 720.0f; heading += 37.5f) {
        car.orientation.y = heading;
        updateCamera();
        const double dx = cameraEye.x - car.position.x;
        const double dz = cameraEye.z - car.position.z;
        EXPECT_NEAR(std::hypot(dx, dz), 40.0, 1e-3) << heading;
        const double radians = heading * 3.14159265358979 / 180.0;
        EXPECT_LT(dx * -std::sin(radians) + dz * std::cos(radians), -39.99) << heading;
    }
    EXPECT_EQ(cameraUp.y, 1.0f);
}

TEST(VectorMath, RotationsMatchTheirAxesAndKeepLength)
{
    const Vec4 forward = {0.0f, 0.0f, 1.0f, 7.0f};
    const Vec4 right = rotateAboutAxis('y', 90.0f, forward);
    EXPECT_NEAR(right.x, -1.0f, 1e-6);
    EXPECT_NEAR(right.z, 0.0f, 1e-6);
    EXPECT_EQ(right.w, 7.0f) << "w passes through";
    const Vec4 up = rotateAboutAxis('x', -90.0f, forward);
    EXPECT_NEAR(up.y, -1.0f, 1e-6);
    const Vec4 v = {1.0f, 2.0f, 3.0f, 1.0f};
    const Vec4 z = rotateAboutAxis('z', 90.0f, v);
    EXPECT_NEAR(z.x, 2.0f, 1e-6);
    EXPECT_NEAR(z.y, -1.0f, 1e-6);
    EXPECT_EQ(z.z, 3.0f);
    for (char axis : {'x', 'y', 'z'}) {
        for (float angle = -400.0f; angle < 400.0f; angle += 23.0f) {
            const Vec4 r = rotateAboutAxis(axis, angle, v);
            EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z, 14.0f, 1e-4);
            const Vec4 back = rotateAboutAxis(axis, -angle, r);
            EXPECT_NEAR(back.x, v.x, 1e-5);
            EXPECT_NEAR(back.y, v.y, 1e-5);
            EXPECT_NEAR(back.z, v.z, 1e-5);
        }
    }
    const Vec4 unit = unitVector({3.0f, 0.0f, 4.0f, 2.0f});
    EXPECT_FLOAT_EQ(unit.x, 0.6f);
    EXPECT_FLOAT_EQ(unit.z, 0.8f);
    EXPECT_EQ(unit.w, 2.0f);
}

} // namespace
