// Makes the sample probe images in samples/probes/: spheres as an
// orthographic camera sees them, the kind of picture that --probe reflects.
// Each probe pixel shows what the sphere's surface there reflects towards
// the viewer, so the colour at normal (nx, ny) is what a bevel facing that
// way shows.
//
//   ormolo_make_probes OUTPUT-DIR
//
// writes chrome.png (a mirror ball under a blue sky over brown ground),
// gold.png (the same scene in a gold mirror) and plastic.png (glossy red
// plastic lit from the top left, with a highlight).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/image.h"
#include "cli/png_io.h"

namespace {

constexpr int probeSize = 256;
constexpr int samplesPerAxis = 4;  // 16 samples per pixel smooth the rim

struct Colour {
    double r, g, b;
};

Colour operator*(Colour c, double s) { return {c.r * s, c.g * s, c.b * s}; }
Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Colour mix(Colour a, Colour b, double t) { return a * (1.0 - t) + b * t; }

struct Vector {
    double x, y, z;  // x right, y up, z towards the viewer
};

double dot(Vector a, Vector b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vector normalised(Vector v)
{
    const double length = std::sqrt(dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

const Vector sun = normalised({-0.45, 0.6, 0.65});
const Colour background = {0.09, 0.09, 0.11};  // around the sphere, and so outside the shape

// The scene around the sphere: sky above the horizon with a sun, ground below.
Colour environment(Vector direction)
{
    if (direction.y >= 0.0) {
        const Colour horizon = {0.85, 0.9, 0.95}, zenith = {0.15, 0.35, 0.75};
        const double glow = std::pow(std::max(0.0, dot(direction, sun)), 400.0);
        return mix(horizon, zenith, std::pow(direction.y, 0.6)) + Colour{1.0, 0.95, 0.8} * (4.0 * glow);
    }
    const Colour nearGround = {0.45, 0.38, 0.3}, farGround = {0.18, 0.15, 0.12};
    return mix(nearGround, farGround, std::pow(-direction.y, 0.5));
}

using Shader = Colour (*)(Vector normal, Vector reflected);

Colour chrome(Vector, Vector reflected)
{
    return environment(reflected) * 0.95;
}

Colour gold(Vector normal, Vector reflected)
{
    // Gold reflects the brightness of the scene in its own colour, a little
    // brighter than the scene itself; towards the rim the tint pales.
    const Colour seen = environment(reflected);
    const double brightness = 0.3 * seen.r + 0.55 * seen.g + 0.15 * seen.b;
    const Colour tint = mix(Colour{1.0, 0.72, 0.28}, Colour{1.0, 1.0, 1.0}, std::pow(1.0 - normal.z, 5.0));
    return tint * (1.25 * brightness);
}

Colour plastic(Vector normal, Vector reflected)
{
    const Colour base = {0.75, 0.08, 0.1};
    const double diffuse = 0.2 + 0.8 * std::max(0.0, dot(normal, sun));
    const double highlight = std::pow(std::max(0.0, dot(reflected, sun)), 60.0);
    return base * diffuse + Colour{1.0, 1.0, 1.0} * (0.9 * highlight) + environment(reflected) * 0.06;
}

uint8_t toByte(double value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

Image probe(Shader shade)
{
    Image image{probeSize, probeSize, 3, std::vector<uint8_t>(probeSize * probeSize * 3)};
    for (int py = 0; py < probeSize; ++py)
        for (int px = 0; px < probeSize; ++px) {
            Colour sum = {0, 0, 0};
            for (int sy = 0; sy < samplesPerAxis; ++sy)
                for (int sx = 0; sx < samplesPerAxis; ++sx) {
                    const double u = (px + (sx + 0.5) / samplesPerAxis) / probeSize * 2.0 - 1.0;
                    const double v = (py + (sy + 0.5) / samplesPerAxis) / probeSize * 2.0 - 1.0;
                    const double squared = u * u + v * v;
                    if (squared >= 1.0) {
                        sum = sum + background;
                        continue;
                    }
                    // Image rows run down, so the sphere's y is -v.
                    const Vector normal = {u, -v, std::sqrt(1.0 - squared)};
                    const Vector reflected = {2.0 * normal.z * normal.x, 2.0 * normal.z * normal.y,
                                              2.0 * normal.z * normal.z - 1.0};
                    sum = sum + shade(normal, reflected);
                }
            const Colour colour = sum * (1.0 / (samplesPerAxis * samplesPerAxis));
            uint8_t* pixel = &image.pixels[(static_cast<size_t>(py) * probeSize + px) * 3];
            pixel[0] = toByte(colour.r);
            pixel[1] = toByte(colour.g);
            pixel[2] = toByte(colour.b);
        }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ormolo_make_probes OUTPUT-DIR\n");
        return 2;
    }
    const struct { const char* name; Shader shade; } probes[] = {
        {"chrome.png", chrome}, {"gold.png", gold}, {"plastic.png", plastic}};
    for (const auto& p : probes) {
        std::string error;
        const std::string path = std::string(argv[1]) + "/" + p.name;
        if (!writePng(path, probe(p.shade), error, PngCompression::small)) {
            std::fprintf(stderr, "ormolo_make_probes: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
