#include "synthetic_images.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

struct Point {
    double x, y;
};
using Stroke = std::vector<Point>;  // a polyline drawn with round caps

// Glyph centrelines in a box 0.6 wide and 1 high, y downwards.
Stroke arc(double cx, double cy, double rx, double ry, double fromDeg, double toDeg)
{
    const int steps = 24;
    Stroke points;
    for (int i = 0; i <= steps; ++i) {
        const double a = (fromDeg + (toDeg - fromDeg) * i / steps) * pi / 180.0;
        points.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return points;
}

std::vector<Stroke> glyph(char letter)
{
    switch (letter) {
    case 'L':
        return {{{0, 0}, {0, 1}, {0.55, 1}}};
    case 'M':
        return {{{0, 1}, {0, 0}, {0.3, 0.6}, {0.6, 0}, {0.6, 1}}};
    case 'O':
        return {arc(0.3, 0.5, 0.3, 0.5, 0, 360)};
    case 'R':
        return {{{0, 1}, {0, 0}, {0.3, 0}}, arc(0.3, 0.25, 0.27, 0.25, -90, 90),
                {{0.3, 0.5}, {0, 0.5}}, {{0.25, 0.5}, {0.58, 1}}};
    case 'S':
        return {arc(0.3, 0.25, 0.28, 0.25, -20, -270), arc(0.3, 0.75, 0.3, 0.25, -90, 160)};
    default:
        return {};
    }
}

// Antialiased union: each pixel keeps the largest coverage of any capsule.
void drawCapsule(Image& image, Point a, Point b, double radius)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - radius - 1)));
    const int x1 = std::min(image.width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + radius + 1)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - radius - 1)));
    const int y1 = std::min(image.height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + radius + 1)));
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSq = dx * dx + dy * dy;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
            const double t = lengthSq > 0 ? std::clamp((px * dx + py * dy) / lengthSq, 0.0, 1.0) : 0.0;
            const double distance = std::hypot(px - t * dx, py - t * dy);
            const double cover = std::clamp(radius - distance + 0.5, 0.0, 1.0);
            const uint8_t value = static_cast<uint8_t>(std::lround(cover * 255.0));
            uint8_t* pixel = &image.pixels[(static_cast<size_t>(y) * image.width + x) * image.channels];
            for (int c = 0; c < std::min(image.channels, 3); ++c)
                pixel[c] = std::max(pixel[c], value);
        }
}

} // namespace

Image blankImage(int width, int height, int channels)
{
    Image image{width, height, channels,
                     std::vector<uint8_t>(static_cast<size_t>(width) * height * channels, 0)};
    if (channels == 4)
        for (size_t i = 3; i < image.pixels.size(); i += 4)
            image.pixels[i] = 255;
    return image;
}

double drawText(Image& image, const std::string& text, double stroke, double left, double top)
{
    // The centreline box is three strokes high, inset by half a stroke.
    const double scale = 3.0 * stroke;
    double x = left;
    for (char letter : text) {
        for (const Stroke& line : glyph(letter))
            for (size_t i = 1; i < line.size(); ++i)
                drawCapsule(image,
                            {x + stroke / 2 + line[i - 1].x * scale, top + stroke / 2 + line[i - 1].y * scale},
                            {x + stroke / 2 + line[i].x * scale, top + stroke / 2 + line[i].y * scale},
                            stroke / 2);
        x += 0.6 * scale + stroke * 1.25;
    }
    return x - stroke * 0.25;
}

void drawDisc(Image& image, double centreX, double centreY, double radius)
{
    drawCapsule(image, {centreX, centreY}, {centreX, centreY}, radius);
}

Image posterImage()
{
    Image image = blankImage(2048, 2048, 3);
    const char* lines[] = {"MORSLOMORSLOMOR", "SLOMORSLOMORSLO", "ORMOLSORMOLSORM", "LOSMORLOSMORLOS"};
    double top = 40;
    for (const char* line : lines) {
        drawText(image, line, 40, 40, top);
        top += 200;
    }
    drawDisc(image, 190.3, 1010.7, 150);
    drawDisc(image, 560.6, 1060.2, 100);
    drawDisc(image, 900.1, 1020.4, 125);
    drawDisc(image, 1300.8, 1040.9, 150);
    drawDisc(image, 1720.5, 1050.3, 120);
    drawText(image, "MORSLOM", 60, 40, 1260);
    drawText(image, "SLOMORS", 60, 40, 1560);
    return image;
}

Image bricksTile(int size)
{
    Image image = blankImage(size, size, 3);
    // Each shape is drawn in every copy of the tile that reaches into it.
    const auto drawWrapped = [&](Point a, Point b, double radius) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                drawCapsule(image, {a.x + dx * size, a.y + dy * size}, {b.x + dx * size, b.y + dy * size},
                            radius);
    };
    const double course = 64.0, brick = 128.0, thickness = 48.0;
    for (int row = 0; row * course < size; ++row) {
        const double y = row * course + course / 2 + 0.3;
        const double offset = row % 2 ? brick / 2 : 0.0;
        for (double x = offset; x < size; x += brick)
            drawWrapped({x + thickness / 2 + 4.2, y}, {x + brick - thickness / 2 - 4.2, y}, thickness / 2);
    }
    drawWrapped({0.0, 0.0}, {0.0, 0.0}, 40.0);
    return image;
}

ProbeImage probeImage(int size)
{
    ProbeImage probe{size, size, false, std::vector<uint8_t>(static_cast<size_t>(size) * size * 4, 255)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size * 2.0 - 1.0, v = (y + 0.5) / size * 2.0 - 1.0;
            const double light = std::max(0.0, 1.0 - std::hypot(u + 0.3, v + 0.3));
            uint8_t* pixel = &probe.rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = static_cast<uint8_t>(std::min(255.0, 60 + 120 * (v + 1) / 2 + 200 * light));
            pixel[1] = static_cast<uint8_t>(std::min(255.0, 50 + 80 * (u + 1) / 2 + 200 * light));
            pixel[2] = static_cast<uint8_t>(std::min(255.0, 200 - 120 * (v + 1) / 2 + 150 * light));
        }
    return probe;
}
