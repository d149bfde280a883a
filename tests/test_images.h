// Small helpers that build masks and height fields for the tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "host/ormolo_vals.h"
#include "host/render_settings_of.h"
#include "render/image_view.h"

// Views of the tests' buffers, for the renderer's stages.
inline PixelView<uint8_t> pixelsOf(std::vector<uint8_t>& pixels, int width, int height, int channels)
{
    return {pixels.data(), width, height, channels};
}
inline PixelView<const uint8_t> pixelsOf(const std::vector<uint8_t>& pixels, int width, int height,
                                         int channels)
{
    return {pixels.data(), width, height, channels};
}
template <class T>
PlaneView<T> planeOf(std::vector<T>& values, int width, int height)
{
    return {values.data(), width, height};
}
template <class T>
PlaneView<const T> planeOf(const std::vector<T>& values, int width, int height)
{
    return {values.data(), width, height};
}

// An RGB(A) image whose first channel is `red`, other colour channels a
// pattern of their own and alpha 200, so that tests see stray writes.
inline std::vector<uint8_t> maskImage(const std::vector<uint8_t>& red, int channels)
{
    std::vector<uint8_t> pixels(red.size() * channels);
    for (size_t i = 0; i < red.size(); ++i) {
        pixels[i * channels] = red[i];
        pixels[i * channels + 1] = static_cast<uint8_t>(i * 7);
        pixels[i * channels + 2] = static_cast<uint8_t>(i * 13 + 5);
        if (channels == 4)
            pixels[i * channels + 3] = 200;
    }
    return pixels;
}

// Blobs of white with soft grey edges on black, and some salt.
inline std::vector<uint8_t> randomMask(std::mt19937& rng, int width, int height)
{
    std::vector<uint8_t> red(static_cast<size_t>(width) * height, 0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int blobs = 1 + static_cast<int>(unit(rng) * 4);
    for (int b = 0; b < blobs; ++b) {
        const double cx = unit(rng) * width, cy = unit(rng) * height;
        const double radius = 1.0 + unit(rng) * (width + height) / 3.0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x - cx, y - cy);
                const double cover = std::clamp(radius - d + 0.5, 0.0, 1.0);
                uint8_t& value = red[static_cast<size_t>(y) * width + x];
                value = std::max<uint8_t>(value, static_cast<uint8_t>(cover * 255.0));
            }
    }
    for (auto& value : red)
        if (unit(rng) < 0.02)
            value = static_cast<uint8_t>(unit(rng) * 256);
    return red;
}

// A height field of `width` x `height` with value f(x, y).
template <typename F>
std::vector<float> heightField(int width, int height, F f)
{
    std::vector<float> field(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            field[static_cast<size_t>(y) * width + x] = f(x, y);
    return field;
}

// A red-channel mask of `width` x `height` with value f(x, y).
template <typename F>
std::vector<uint8_t> maskOf(int width, int height, F f)
{
    std::vector<uint8_t> red(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            red[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(f(x, y));
    return red;
}

// Settings of the normal stages, the rest at their defaults.
inline OrmoloVals normalSettings(int32_t slope, int32_t maxRadius = 3, float depthFlat = 10.0f,
                                 float depthRound2 = 20.0f)
{
    OrmoloVals vals = ormoloDefaults;
    vals.slopeType = slope;
    vals.maxNormalMapBlurRadius = maxRadius;
    vals.slopeDepthFlat = depthFlat;
    vals.slopeDepthRound2 = depthRound2;
    return vals;
}

// The renderer's settings for the record, as the plug-in hands them over,
// reflecting `probe` when one is given.
inline RenderSettings productSettings(const OrmoloVals& vals, const ProbeImage* probe = nullptr)
{
    RenderSettings settings = renderSettingsOf(vals);
    settings.probe = probe;
    return settings;
}
