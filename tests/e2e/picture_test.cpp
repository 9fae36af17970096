// The screenshot reader and probes that the end-to-end tests judge by: a probe that miscounts
// would let a missing text pass as "clear".
#include <gtest/gtest.h>

#include "picture.h"

namespace {

constexpr Rgb Orange = {255, 94, 0};

// A 4 x 2 picture, with a comment in its header as ImageMagick may write one:
// row 0: orange, near orange, black, orange; row 1: black, orange, orange, orange.
std::string samplePpm()
{
    const unsigned char samples[] = {255, 94, 0, 250, 100, 5, 0, 0, 0, 255, 94, 0,
                                     0,   0,  0, 255, 94, 0, 255, 94, 0, 255, 94, 0};
    return "P6\n# from a test\n4 2\n255\n" + std::string(reinterpret_cast<const char*>(samples), sizeof samples);
}

TEST(Picture, ProbesCountAndMeasureRelativeToTheOrigin)
{
    std::optional<Picture> picture = Picture::fromPpm(samplePpm());
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->countNear(Orange, 0, {0, 0, 4, 2}), 5);
    EXPECT_EQ(picture->countNear(Orange, 6, {0, 0, 4, 2}), 6) << "the near one is within 6";
    EXPECT_EQ(picture->widestRunNear(Orange, 0, {0, 0, 4, 2}), 3) << "row 1; no run across rows";
    EXPECT_EQ(picture->countNear(Orange, 0, {-10, -10, 100, 100}), 5) << "clipped, not overrun";

    picture->setOrigin(1, 1);
    EXPECT_EQ(picture->countNear(Orange, 0, {0, 0, 3, 1}), 3);
    ASSERT_TRUE(picture->colourAt(-1, -1).has_value());
    EXPECT_TRUE(nearColour(*picture->colourAt(-1, -1), Orange, 0));
    EXPECT_FALSE(picture->colourAt(3, 0).has_value());

    const std::optional<Picture> again = Picture::fromPpm(picture->toPpm());
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->countNear(Orange, 6, {0, 0, 4, 2}), 6);
}

TEST(Picture, MalformedImagesAreRefused)
{
    const std::string good = samplePpm();
    for (const std::string& bad : {std::string(), std::string("P3\n4 2\n255\n"), good.substr(0, good.size() - 1),
                                   std::string("P6\n4 2\n65535\n") + std::string(48, '\0'),
                                   std::string("P6\n99999999999999999999 2\n255\n"), std::string("P6\n-4 2\n255\n"),
                                   std::string("P6 4 2 255")})
        EXPECT_FALSE(Picture::fromPpm(bad).has_value()) << bad.substr(0, 20);
}

} // namespace
