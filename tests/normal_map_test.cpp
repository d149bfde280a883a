#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "render/normal_map.h"

namespace {

TEST(NormalMap, Encodings)
{
    const float level = -static_cast<float>(std::cos(std::atan2(1.0, 0.0)));
    const struct {
        const char* name;
        float nx, ny;
        uint8_t r, g, b;
    } cases[] = {
        {"both one half", 0.5f, 0.5f, 190, 190, 164},
        {"negative half truncates towards zero", -0.5f, 0.0f, 64, 127, 190},
        {"mixed signs", 0.25f, -0.75f, 158, 32, 153},
        {"level Round2 interior", 0.0f, 0.0f, 127, 127, 254},
        {"level Flat or Round interior", level, level, 127, 127, 253},
        {"NaN counts as 0", NAN, NAN, 127, 127, 254},
        {"sum of squares near 2", -0.9999f, 0.9999f, 1, 253, 75},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int channels : {3, 4}) {
            uint8_t pixel[5] = {1, 2, 3, 4, 5};
            encodeNormal({c.nx, c.ny}, false, pixel, channels);
            EXPECT_EQ(pixel[0], c.r);
            EXPECT_EQ(pixel[1], c.g);
            EXPECT_EQ(pixel[2], c.b);
            EXPECT_EQ(pixel[3], channels == 4 ? 255 : 4);
            EXPECT_EQ(pixel[4], 5);
        }
    }
}

TEST(NormalMap, UnitEncodings)
{
    const struct {
        const char* name;
        SurfaceNormal normal;
        bool flipY;
        uint16_t at8[3], at16[3];
    } cases[] = {
        {"facing the viewer", {0, 0, 0.0f, 0.0f, 20.0f}, false, {128, 128, 255}, {32768, 32768, 65535}},
        {"-0 rounds as +0", {0, 0, -0.0f, -0.0f, 1.0f}, true, {128, 128, 255}, {32768, 32768, 65535}},
        {"3-4-5 triangle", {0, 0, 3.0f, 0.0f, 4.0f}, false, {204, 128, 230}, {52428, 32768, 58982}},
        {"y up stores -y", {0, 0, 0.0f, 3.0f, 4.0f}, true, {128, 51, 230}, {32768, 13107, 58982}},
        {"infinite slope lies in the image plane", {0, 0, -INFINITY, 0.0f, 1.0f}, false, {0, 128, 128},
         {0, 32768, 32768}},
        {"no direction stores the flat normal", {0, 0, NAN, NAN, NAN}, false, {128, 128, 255},
         {32768, 32768, 65535}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int channels : {3, 4}) {
            uint8_t bytes[5] = {1, 2, 3, 4, 5};
            uint16_t samples[5] = {1, 2, 3, 4, 5};
            encodeUnitNormal(c.normal, c.flipY, bytes, channels);
            encodeUnitNormal(c.normal, c.flipY, samples, channels);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(bytes[i], c.at8[i]) << i;
                EXPECT_EQ(samples[i], c.at16[i]) << i;
            }
            EXPECT_EQ(bytes[3], channels == 4 ? 255 : 4);
            EXPECT_EQ(samples[3], channels == 4 ? 65535 : 4);
            EXPECT_EQ(bytes[4], 5);
        }
    }
}

TEST(NormalMap, OutsideColour)
{
    for (int channels : {3, 4}) {
        uint8_t pixel[5] = {1, 2, 3, 4, 5};
        encodeOutside(pixel, channels);
        EXPECT_EQ(pixel[0], 127);
        EXPECT_EQ(pixel[1], 127);
        EXPECT_EQ(pixel[2], 255);
        EXPECT_EQ(pixel[3], channels == 4 ? 255 : 4);
        EXPECT_EQ(pixel[4], 5);
    }
}

} // namespace
