#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "cli/render_image.h"
#include "reference_renderer.h"
#include "render/normal_map.h"
#include "render/render.h"
#include "test_images.h"

namespace {

Image rendered(Image image, CliOptions options, const ProbeImage* probe = nullptr)
{
    options.settings.probe = probe;
    RenderedExtras extras;
    EXPECT_TRUE(renderImage(image, options, {}, extras));
    return image;
}

bool onBorder(const Image& image, int x, int y)
{
    return x == 0 || y == 0 || x == image.width - 1 || y == image.height - 1;
}

// A disc in the alpha channel, soft-edged, with colour channels and alpha
// that differ from pixel to pixel.
Image alphaShape(int width, int height, uint32_t seed)
{
    std::mt19937 rng(seed);
    const std::vector<uint8_t> alpha = randomMask(rng, width, height);
    Image image{width, height, 4, std::vector<uint8_t>(alpha.size() * 4)};
    for (size_t i = 0; i < alpha.size(); ++i) {
        for (int c = 0; c < 3; ++c)
            image.pixels[i * 4 + c] = static_cast<uint8_t>(rng());
        image.pixels[i * 4 + 3] = alpha[i];
    }
    return image;
}

TEST(AlphaMask, ShapeComesFromAlphaOnlyAndAlphaAndBorderStayAsRead)
{
    CliOptions alphaMask;
    alphaMask.mask = MaskChannel::alpha;
    const ProbeImage probe{5, 4, true, std::vector<uint8_t>(5 * 4 * 4, 77)};
    const struct { const char* name; SlopeProfile profile; bool invert; const ProbeImage* probe; double specularity; } cases[] = {
        {"round2 normal map", SlopeProfile::round2, false, nullptr, 1.0},
        {"flat, inverted", SlopeProfile::flat, true, nullptr, 1.0},
        {"round, blurred probe", SlopeProfile::round, false, &probe, 0.4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CliOptions options = alphaMask;
        options.settings.profile = c.profile;
        options.settings.invertInput = c.invert;
        options.settings.specularity = c.specularity;
        const Image input = alphaShape(31, 23, 5);
        const Image output = rendered(input, options, c.probe);

        // The red-mask render of the alpha, as the core gives it, from an
        // image whose colour channels differ from the input's everywhere.
        Image redShape = input;
        for (size_t i = 0; i < redShape.pixels.size(); i += 4) {
            redShape.pixels[i] = redShape.pixels[i + 3];
            redShape.pixels[i + 1] ^= 0x80;
            redShape.pixels[i + 2] ^= 0x55;
        }
        CliOptions redMask = options;
        redMask.mask = MaskChannel::red;
        const Image expected = rendered(redShape, redMask, c.probe);

        for (int y = 0; y < input.height; ++y)
            for (int x = 0; x < input.width; ++x) {
                const uint8_t* got = output.view().at(x, y);
                const uint8_t* in = input.view().at(x, y);
                const uint8_t* want = onBorder(input, x, y) ? in : expected.view().at(x, y);
                ASSERT_EQ(std::vector<uint8_t>(got, got + 3), std::vector<uint8_t>(want, want + 3))
                    << x << "," << y;
                ASSERT_EQ(got[3], in[3]) << x << "," << y;
            }
    }
}

TEST(AlphaMask, ImageWithoutAlphaIsRefusedAndLeftAsItWas)
{
    std::mt19937 rng(12);
    for (bool flipY : {false, true}) {
        CliOptions options;
        options.mask = MaskChannel::alpha;
        options.settings.flipY = flipY;
        Image image{29, 21, 3, maskImage(randomMask(rng, 29, 21), 3)};
        const Image input = image;
        RenderedExtras extras;
        EXPECT_FALSE(renderImage(image, options, {}, extras));
        EXPECT_EQ(image.pixels, input.pixels);
    }
}

TEST(FlipY, EncodingTheNegatedComponentIsTheMirroredGreen)
{
    // The flip rests on this: for every ny the renderer can hand over, the
    // encoding of -ny is 254 minus the encoding of ny.
    std::vector<float> components = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 1.0f / 127.0f, 2.0f / 127.0f,
                                      FLT_MIN, FLT_TRUE_MIN, std::nextafter(1.0f, 0.0f), 1.5f, NAN};
    for (int k = -127; k <= 127; ++k)
        for (float step : {-1.0f, 0.0f, 1.0f})
            components.push_back(std::nextafter(k / 127.0f, step * 2.0f));
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> anywhere(-1.0f, 1.0f);
    for (int i = 0; i < 100000; ++i)
        components.push_back(anywhere(rng));
    for (float ny : components) {
        uint8_t up[3], down[3];
        encodeNormal({0.25f, ny}, false, down, 3);
        encodeNormal({0.25f, ny}, true, up, 3);
        ASSERT_EQ(up[1], 254 - down[1]) << ny;
        ASSERT_EQ(up[0], down[0]);
        ASSERT_EQ(up[2], down[2]);
    }
}

TEST(FlipY, OnlyGreenOfComputedPixelsChanges)
{
    for (MaskChannel mask : {MaskChannel::red, MaskChannel::alpha}) {
        CliOptions options;
        options.mask = mask;
        Image input = alphaShape(40, 36, 2);
        if (mask == MaskChannel::red)
            for (size_t i = 0; i < input.pixels.size(); i += 4)
                input.pixels[i] = input.pixels[i + 3];
        const Image down = rendered(input, options);
        options.settings.flipY = true;
        const Image up = rendered(input, options);
        int flipped = 0;
        for (int y = 0; y < input.height; ++y)
            for (int x = 0; x < input.width; ++x) {
                const uint8_t* a = down.view().at(x, y);
                const uint8_t* b = up.view().at(x, y);
                EXPECT_EQ(a[0], b[0]);
                EXPECT_EQ(a[2], b[2]);
                EXPECT_EQ(a[3], b[3]);
                if (onBorder(input, x, y) || (a[1] == 127 && a[2] == 255)) {
                    EXPECT_EQ(a[1], b[1]) << x << "," << y;  // kept input, or outside
                } else {
                    EXPECT_EQ(b[1], 254 - a[1]) << x << "," << y;
                    flipped += a[1] != 127;
                }
            }
        EXPECT_GT(flipped, 20);
    }
}

TEST(FlipY, TheTopEdgeOfAShapeFacesUpInGreen)
{
    // A white bar: along its top edge the surface faces up the image, which
    // is green below 127 with y down and above 127 with y up.
    Image image{20, 20, 3, maskImage(maskOf(20, 20, [](int, int y) { return y >= 6 && y < 14 ? 255 : 0; }), 3)};
    CliOptions options;
    const Image down = rendered(image, options);
    options.settings.flipY = true;
    const Image up = rendered(image, options);
    EXPECT_LT(down.view().at(10, 6)[1], 127);
    EXPECT_GT(up.view().at(10, 6)[1], 127);
}

// The profiles as scripts number them, with the tool's name for each and
// settings under which Flat's two components are far from one unit vector.
struct ProfileCase {
    const char* name;
    int32_t slopeType;
    int32_t maxFlatRadius;
    float depthFlat;
};
constexpr ProfileCase everyProfile[] = {
    {"flat", 1, 5, 10.5f}, {"round", 2, 3, 10.0f}, {"round2", 3, 3, 10.0f}, {"0", 0, 3, 10.0f}};

CliOptions optionsFor(const ProfileCase& profile)
{
    CliOptions options;
    options.settings.profile = slopeProfileOfNumber(profile.slopeType);
    options.settings.maxFlatRadius = profile.maxFlatRadius;
    options.settings.depthFlat = profile.depthFlat;
    return options;
}

OrmoloVals valsFor(const ProfileCase& profile)
{
    return normalSettings(profile.slopeType, profile.maxFlatRadius, profile.depthFlat);
}

// The image with its alpha also in red, the shape the reference reads.
Image alphaInRed(Image image)
{
    for (size_t i = 0; i < image.pixels.size(); i += 4)
        image.pixels[i] = image.pixels[i + 3];
    return image;
}

TEST(UnitNormals, DecodeWithinOneStepOfTheTrueNormalAndFlatElsewhere)
{
    const Image input = alphaShape(37, 29, 6);
    const Image shape = alphaInRed(input);
    for (const ProfileCase& profile : everyProfile) {
        const OrmoloVals vals = valsFor(profile);
        const std::vector<float> heights = referenceHeightField(shape.pixels, shape.width, shape.height, 4, vals);
        for (int bits : {8, 16})
            for (bool flipY : {false, true})
                for (MaskChannel mask : {MaskChannel::red, MaskChannel::alpha}) {
                    SCOPED_TRACE(std::string(profile.name) + (bits == 16 ? ", 16 bits" : ", 8 bits") +
                                 (flipY ? ", y up" : "") + (mask == MaskChannel::alpha ? ", alpha mask" : ""));
                    CliOptions options = optionsFor(profile);
                    options.settings.encoding = NormalEncoding::unit;
                    options.settings.flipY = flipY;
                    options.bits = bits;
                    options.mask = mask;
                    Image image = mask == MaskChannel::red ? shape : input;
                    RenderedExtras extras;
                    ASSERT_TRUE(renderImage(image, options, {}, extras));
                    const double largest = bits == 16 ? 65535.0 : 255.0;
                    const auto sample = [&](int x, int y, int c) -> double {
                        return bits == 16 ? extras.wideOutput.view().at(x, y)[c] : image.view().at(x, y)[c];
                    };
                    for (int y = 0; y < input.height; ++y)
                        for (int x = 0; x < input.width; ++x) {
                            const bool computed = !onBorder(input, x, y) && heights[y * input.width + x] > 0.0f;
                            double expected[3] = {0.0, 0.0, 1.0};
                            if (computed) {
                                const SurfaceNormal n = referenceNormal(heights, input.width, input.height, x, y, vals);
                                const double along[3] = {n.alongX, flipY ? -n.alongY : n.alongY, n.alongZ};
                                const double length = std::sqrt(along[0] * along[0] + along[1] * along[1] +
                                                                along[2] * along[2]);
                                for (int c = 0; c < 3; ++c)
                                    expected[c] = along[c] / length;
                                ASSERT_GT(expected[2], 0.0);
                            }
                            for (int c = 0; c < 3; ++c) {
                                const double decoded = 2.0 * sample(x, y, c) / largest - 1.0;
                                if (computed)
                                    ASSERT_LE(std::fabs(decoded - expected[c]), 1.0 / largest + 1e-12)
                                        << x << "," << y << " component " << c;
                                else  // the flat normal, exactly
                                    ASSERT_EQ(sample(x, y, c), c == 2 ? largest : std::ceil(largest / 2))
                                        << x << "," << y;
                            }
                            const double inputAlpha = input.view().at(x, y)[3] * (largest / 255.0);
                            const double alpha = computed && mask == MaskChannel::red ? largest : inputAlpha;
                            ASSERT_EQ(sample(x, y, 3), alpha) << x << "," << y;
                        }
                }
    }
}

TEST(HeightMap, FollowsTheDistanceFieldUnderEachProfileAndScale)
{
    const Image input = alphaInRed(alphaShape(37, 29, 8));
    for (const ProfileCase& profile : everyProfile) {
        // The plain distance to the shape's edge.
        const std::vector<float> distances =
            referenceHeightField(input.pixels, input.width, input.height, 4, normalSettings(1));
        const float flatFactor = (10.0f - profile.depthFlat) + 1.0f;
        const auto surface = [&](float d) {
            switch (profile.slopeType) {
            case 1: return d / static_cast<double>(flatFactor);
            case 2: return 7.0 * std::sqrt(static_cast<double>(d));
            case 3: return 20.0 * std::sqrt(static_cast<double>(d));
            default: return static_cast<double>(d);
            }
        };
        double largest = 0.0;
        for (int y = 1; y < input.height - 1; ++y)
            for (int x = 1; x < input.width - 1; ++x)
                largest = std::max(largest, surface(distances[y * input.width + x]));
        for (double scale : {0.0, 3.25}) {
            SCOPED_TRACE(std::string(profile.name) + (scale > 0.0 ? ", scale 3.25" : ", largest height"));
            CliOptions options = optionsFor(profile);
            options.heightMapPath = "h.png";
            options.heightScale = scale;
            Image image = input;
            RenderedExtras extras;
            ASSERT_TRUE(renderImage(image, options, {}, extras));
            const double used = scale > 0.0 ? scale : largest;
            EXPECT_NEAR(extras.heightScale, used, used * 1e-7);
            int clipped = 0;
            for (int y = 0; y < input.height; ++y)
                for (int x = 0; x < input.width; ++x) {
                    const float d = distances[y * input.width + x];
                    const double steps = d > 0.0f ? surface(d) / used * 65535.0 : 0.0;
                    const double want = std::min(std::floor(steps + 0.5), 65535.0);
                    // The largest height is that of the pixels with normals.
                    clipped += steps > 65535.0 && !onBorder(input, x, y);
                    // Round's heights pass through the float height field.
                    ASSERT_NEAR(extras.heightMap.view().at(x, y)[0], want, profile.slopeType == 2 ? 1.0 : 0.0)
                        << x << "," << y;
                }
            EXPECT_EQ(clipped > 0, scale > 0.0);
        }
    }
}

TEST(RenderImage, BytesDoNotDependOnTheThreadCount)
{
    const ProbeImage probe{7, 9, false, std::vector<uint8_t>(7 * 9 * 4)};
    ProbeImage gradient = probe;
    for (size_t i = 0; i < gradient.rgba.size(); ++i)
        gradient.rgba[i] = static_cast<uint8_t>(i * 11);
    const struct { MaskChannel mask; bool flipY; const ProbeImage* probe; double specularity; } cases[] = {
        {MaskChannel::red, false, nullptr, 1.0},
        {MaskChannel::alpha, true, nullptr, 1.0},
        {MaskChannel::red, false, &gradient, 0.3},
        {MaskChannel::alpha, false, &gradient, 0.0},
    };
    const Image input = alphaShape(45, 61, 4);
    for (const auto& c : cases) {
        CliOptions options;
        options.mask = c.mask;
        options.settings.flipY = c.flipY;
        options.settings.specularity = c.specularity;
        options.seed = 99;
        options.threads = 1;
        const Image single = rendered(input, options, c.probe);
        for (int threads : {0, 2, 3, 7, 64}) {
            options.threads = threads;
            EXPECT_EQ(rendered(input, options, c.probe).pixels, single.pixels) << threads << " threads";
        }
    }
}

} // namespace
