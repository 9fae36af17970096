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
    const struct {
        unsigned char lower, upper;
        bool* flag;
    } keys[] = {{'w', 'W', &input.forwardHeld}, {'s', 'S', &input.backwardHeld}, {'a', 'A', &input.leftHeld},
                {'d', 'D', &input.rightHeld}};
    for (const auto& key : keys) {
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
    EXPECT_TRUE(cameraEye.x == -2.0f && cameraEye.y == 10.0f && cameraEye.z == -36.0f);
    EXPECT_TRUE(cameraTarget.x == -2.0f && cameraTarget.y == 1.0f && cameraTarget.z == 4.0f);

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

} // namespace
