#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "cli/render_image.h"
#include "test_images.h"

namespace {

// `copies` x `copies` copies of the image side by side.
template <class Pixels>
Pixels layout(const Pixels& tile, int copies)
{
    Pixels laid{tile.width * copies, tile.height * copies, tile.channels, {}};
    laid.pixels.resize(tile.pixels.size() * copies * copies);
    for (int y = 0; y < laid.height; ++y)
        for (int x = 0; x < laid.width; ++x)
            std::copy_n(tile.view().at(x % tile.width, y % tile.height), tile.channels, laid.view().at(x, y));
    return laid;
}

// The samples of the middle copy of a layout of `copies` x `copies` tiles.
template <class Samples>
std::vector<typename Samples::value_type> middleOf(const Samples& samples, int width, int height, int channels,
                                                   int copies)
{
    const int laidWidth = width * copies, first = copies / 2;
    std::vector<typename Samples::value_type> middle;
    for (int y = first * height; y < (first + 1) * height; ++y) {
        const auto row = samples.begin() + (static_cast<size_t>(y) * laidWidth + first * width) * channels;
        middle.insert(middle.end(), row, row + static_cast<size_t>(width) * channels);
    }
    return middle;
}

// A disc of soft grey edges around (cx, cy), in every copy of the tile that
// it reaches, on black.
std::vector<uint8_t> wrappedDisc(int width, int height, double cx, double cy, double radius)
{
    return maskOf(width, height, [&](int x, int y) {
        double cover = 0.0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const double d = std::hypot(x + dx * width - cx, y + dy * height - cy);
                cover = std::max(cover, std::clamp(radius - d + 0.5, 0.0, 1.0));
            }
        return static_cast<int>(cover * 255.0);
    });
}

struct TileShape {
    const char* name;
    int width, height;
    std::vector<uint8_t> red;
    bool alphaMask;  // the shape in alpha, random colours
    int copies;      // of the layout whose middle the tile equals
};

Image tileImage(const TileShape& shape)
{
    if (!shape.alphaMask)
        return {shape.width, shape.height, 3, maskImage(shape.red, 3)};
    std::mt19937 rng(5);
    Image image{shape.width, shape.height, 4, std::vector<uint8_t>(shape.red.size() * 4)};
    for (size_t i = 0; i < shape.red.size(); ++i) {
        for (int c = 0; c < 3; ++c)
            image.pixels[i * 4 + c] = static_cast<uint8_t>(rng());
        image.pixels[i * 4 + 3] = shape.red[i];
    }
    return image;
}

// Red and green follow the column and the row.
ProbeImage gradientProbe()
{
    const int size = 64;
    ProbeImage probe{size, size, false, std::vector<uint8_t>(size * size * 4)};
    for (int i = 0; i < size * size; ++i) {
        probe.rgba[i * 4] = static_cast<uint8_t>(i % size * 4);
        probe.rgba[i * 4 + 1] = static_cast<uint8_t>(i / size * 4);
        probe.rgba[i * 4 + 2] = static_cast<uint8_t>(i * 7);
    }
    return probe;
}

TEST(Tile, EqualsTheMiddleOfALayoutOfCopies)
{
    const TileShape shapes[] = {
        {"across the left and right edges", 48, 40, wrappedDisc(48, 40, 2.3, 21.6, 13.0), false, 3},
        {"across the top and bottom edges", 40, 48, wrappedDisc(40, 48, 17.4, 45.2, 12.5), false, 3},
        {"around a corner, alpha mask", 44, 44, wrappedDisc(44, 44, 0.0, 0.0, 14.0), true, 3},
        // Round2 and Round radii beyond the tile: neighbours wrap twice.
        {"wider neighbourhoods than the tile", 9, 8, wrappedDisc(9, 8, 4.4, 0.3, 3.2), false, 5},
    };
    const ProbeImage probe = gradientProbe();
    const struct { const char* name; SlopeProfile profile; } profiles[] = {
        {"flat", SlopeProfile::flat}, {"round", SlopeProfile::round}, {"round2", SlopeProfile::round2},
        {"0", SlopeProfile::roundOverDistance}};
    const struct { const char* name; NormalEncoding encoding; int bits; bool probe; } outputs[] = {
        {"filter encoding", NormalEncoding::filter, 8, false},
        {"unit normals", NormalEncoding::unit, 8, false},
        {"16-bit unit normals", NormalEncoding::unit, 16, false},
        {"sharp probe", NormalEncoding::filter, 8, true},
    };
    for (const TileShape& shape : shapes)
        for (const auto& profile : profiles)
            for (const auto& output : outputs) {
                SCOPED_TRACE(std::string(shape.name) + ", " + profile.name + ", " + output.name);
                CliOptions options;
                options.settings.profile = profile.profile;
                options.settings.maxFlatRadius = 5;
                options.settings.encoding = output.encoding;
                options.settings.probe = output.probe ? &probe : nullptr;
                options.bits = output.bits;
                options.mask = shape.alphaMask ? MaskChannel::alpha : MaskChannel::red;
                if (!output.probe) {
                    options.heightMapPath = "h.png";
                    options.heightScale = 20.0;
                }
                const Image tile = tileImage(shape);
                Image laid = layout(tile, shape.copies);
                RenderedExtras laidExtras;
                ASSERT_TRUE(renderImage(laid, options, {}, laidExtras));

                options.settings.tile = true;
                Image rendered = tile;
                RenderedExtras extras;
                ASSERT_TRUE(renderImage(rendered, options, {}, extras));

                const int copies = shape.copies, channels = tile.channels;
                EXPECT_EQ(rendered.pixels, middleOf(laid.pixels, tile.width, tile.height, channels, copies));
                if (output.bits == 16) {
                    EXPECT_EQ(extras.wideOutput.samples,
                              middleOf(laidExtras.wideOutput.samples, tile.width, tile.height, channels, copies));
                }
                if (!output.probe) {
                    EXPECT_EQ(extras.heightMap.samples,
                              middleOf(laidExtras.heightMap.samples, tile.width, tile.height, 1, copies));
                }
            }
}

TEST(Tile, BlurredProbeDrawsRunOverEveryRowInOrder)
{
    // Columns 3 to 9 of every row are inside (a grey edge pixel on each
    // side) and all rows alike, so each row's blurred pixels draw the same
    // count in order; a render whose draws start one row's worth later shows
    // each row's colours one row higher, the first and last rows included.
    const int width = 16, height = 9, insidePerRow = 7;
    const Image tile{width, height, 3, maskImage(maskOf(width, height, [](int x, int) {
                         return x == 3 || x == 9 ? 100 : x > 3 && x < 9 ? 255 : 0;
                     }), 3)};
    const ProbeImage probe = gradientProbe();
    CliOptions options;
    options.settings.tile = true;
    options.settings.probe = &probe;
    options.settings.specularity = 0.3;
    const auto rendered = [&](uint64_t seed) {
        options.seed = seed;
        Image image = tile;
        RenderedExtras extras;
        EXPECT_TRUE(renderImage(image, options, {}, extras));
        return image.pixels;
    };
    const std::vector<uint8_t> first = rendered(40);
    EXPECT_EQ(rendered(40), first);
    const std::vector<uint8_t> later = rendered(40 + 16 * insidePerRow);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    EXPECT_NE(std::vector<uint8_t>(first.begin(), first.begin() + rowBytes),
              std::vector<uint8_t>(first.begin() + rowBytes, first.begin() + 2 * rowBytes));
    EXPECT_EQ(std::vector<uint8_t>(later.begin(), later.end() - rowBytes),
              std::vector<uint8_t>(first.begin() + rowBytes, first.end()));
}

} // namespace
