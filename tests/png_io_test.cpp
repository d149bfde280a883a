#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "cli/png_io.h"
#include "png_chunks.h"
#include "render/render.h"
#include "scratch_folder.h"
#include "test_images.h"

namespace fs = std::filesystem;

namespace {

// Reads `samples` back through a file of the given form.
Image roundTrip(PngColorType type, int bitDepth, uint32_t width, const std::vector<uint16_t>& samples,
                const std::vector<PngChunk>& extra = {})
{
    const ScratchFolder scratch;
    const std::string path = scratch.path("in.png");
    const uint32_t height = static_cast<uint32_t>(samples.size() / (width * samplesPerPixel(type)));
    saveSamplesPng(path, width, height, type, bitDepth, samples, extra);
    Image image;
    std::string error;
    EXPECT_TRUE(readPng(path, image, error)) << error;
    return image;
}

std::vector<uint8_t> bytesOf(const std::vector<uint16_t>& samples)
{
    return std::vector<uint8_t>(samples.begin(), samples.end());
}

TEST(PngRead, KeepsTheStoredValuesWhateverTheAncillaryChunksSay)
{
    // Applying the gamma chunk would change every value but 0 and 255. Text,
    // profile and private chunks are skipped unread, however large.
    const std::vector<uint16_t> samples = {0, 1, 64, 128, 200, 254, 255, 17, 99};
    const std::vector<uint8_t> megabyte(1 << 20, 'x');
    const struct { const char* name; std::vector<PngChunk> chunks; } cases[] = {
        {"gamma 1.0", {gammaChunk(100000u)}},
        {"gamma 1/2.2", {gammaChunk(45455u)}},
        {"gamma 2.2", {gammaChunk(220000u)}},
        {"text of 1 MB", {{"tEXt", megabyte}}},
        {"compressed text of 1 MB", {{"zTXt", deflated(megabyte)}}},
        {"colour profile that is no profile", {{"iCCP", {'p', 0, 0, 1, 2, 3}}}},
        {"private chunk of 1 MB", {{"prIv", megabyte}}},
        {"significant bits and background", {{"sBIT", {2, 3, 4}}, {"bKGD", {0, 9, 0, 9, 0, 9}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Image image = roundTrip(pngRgb, 8, 3, samples, c.chunks);
        EXPECT_EQ(image.channels, 3);
        EXPECT_EQ(image.pixels, bytesOf(samples));
    }
    // At 16 bits the values are only rounded, as without the chunk.
    std::vector<uint16_t> deep;
    for (uint16_t sample : samples)
        deep.push_back(static_cast<uint16_t>(sample * 257));
    EXPECT_EQ(roundTrip(pngRgb, 16, 3, deep, {gammaChunk(45455)}).pixels, bytesOf(samples));
}

// PNG calls an index beyond the palette an error. GIMP 2.10 loads such a
// pixel with the colour of the palette's last entry and, with a tRNS chunk,
// the alpha of its own index (opaque beyond the chunk), as found by loading
// such files into it; the tool reads them the same.
TEST(PngRead, PaletteIndicesBeyondThePaletteTakeTheLastEntryAsInGimp)
{
    const struct { int bitDepth; int entries; int alphas; } cases[] = {
        {8, 200, 0}, {8, 255, 100}, {8, 1, 1}, {4, 5, 3}, {4, 16, 16}, {2, 3, 0}, {1, 1, 0},
        {8, 3, 5},  // more alphas than entries: libpng drops the chunk, as in GIMP
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bitDepth) + " bits, " + std::to_string(c.entries) + " entries, " +
                     std::to_string(c.alphas) + " alphas");
        std::vector<std::array<uint8_t, 3>> palette;
        PngChunk transparency{"tRNS", {}};
        for (int i = 0; i < c.entries; ++i)
            palette.push_back({static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(i * 91 + 50),
                               static_cast<uint8_t>(i * 13 + 200)});
        for (int i = 0; i < c.alphas; ++i)
            transparency.data.push_back(static_cast<uint8_t>(i * 29 + 3));
        std::vector<PngChunk> chunks = {paletteChunk(palette)};
        if (c.alphas > 0)
            chunks.push_back(transparency);
        std::vector<uint16_t> indices;
        for (int i = 0; i < 1 << c.bitDepth; ++i)
            indices.push_back(static_cast<uint16_t>(i));
        const ScratchFolder scratch;
        ASSERT_TRUE(saveSamplesPng(scratch.path("in.png"), static_cast<uint32_t>(indices.size()), 1, pngPalette,
                                   c.bitDepth, indices, chunks));
        Image image;
        std::string error;
        ASSERT_TRUE(readPng(scratch.path("in.png"), image, error)) << error;
        const bool hasAlpha = c.alphas > 0 && c.alphas <= c.entries;
        ASSERT_EQ(image.channels, hasAlpha ? 4 : 3);
        std::vector<uint8_t> expected;
        for (uint16_t index : indices) {
            const auto& colour = palette[std::min<int>(index, c.entries - 1)];
            expected.insert(expected.end(), colour.begin(), colour.end());
            if (hasAlpha)
                expected.push_back(index < c.alphas ? transparency.data[index] : 255);
        }
        EXPECT_EQ(image.pixels, expected);
    }
}

TEST(PngRead, RoundsSixteenBitSamplesToTheNearestByteInEveryLayout)
{
    // Pairs on both sides of each rounding boundary v = 257 k + 128.5.
    const struct { uint16_t sample; uint8_t byte; } edges[] = {
        {0, 0},         {128, 0},       {129, 1},       {257, 1},       {385, 1},
        {386, 2},       {32767, 127},   {32768, 128},   {65277, 254},   {65406, 254},
        {65407, 255},   {65534, 255},   {65535, 255},
    };
    const struct { PngColorType type; int channels; } layouts[] = {
        {pngGrey, 3}, {pngGreyAlpha, 4}, {pngRgb, 3}, {pngRgba, 4}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.type);
        // Every channel of the file takes every edge value in turn.
        const int fileChannels = samplesPerPixel(layout.type);
        const uint32_t width = std::size(edges);
        std::vector<uint16_t> samples;
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < fileChannels; ++c)
                samples.push_back(edges[(x + c) % width].sample);
        const Image image = roundTrip(layout.type, 16, width, samples);
        ASSERT_EQ(image.channels, layout.channels);
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < layout.channels; ++c) {
                // Grey expands to three equal colour channels.
                const int fileChannel = fileChannels >= 3 ? c : c < 3 ? 0 : 1;
                EXPECT_EQ(image.pixels[x * layout.channels + c], edges[(x + fileChannel) % width].byte)
                    << "pixel " << x << " channel " << c;
            }
    }
}

TEST(PngRead, EverySixteenBitValueGoesToItsNearestByte)
{
    std::vector<uint16_t> samples;
    for (uint32_t v = 0; v <= 65535; ++v)
        samples.insert(samples.end(), {static_cast<uint16_t>(v), static_cast<uint16_t>(65535 - v), 0});
    const Image image = roundTrip(pngRgb, 16, 256, samples);
    ASSERT_EQ(image.pixels.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const int distance = std::abs(samples[i] - 257 * image.pixels[i]);
        ASSERT_LE(distance, 128) << "sample " << samples[i] << " became " << int{image.pixels[i]};
    }
}

TEST(PngRead, MatchesTheTransparentColourAtFullDepth)
{
    // 0x1200 and 0x1234 both round to 18, but only 0x1234 is transparent.
    const std::vector<uint16_t> values = {0x1234, 0x1200, 0x1235, 0xFFFF};
    const std::vector<uint8_t> alphas = {0, 255, 255, 255};
    const struct { PngColorType type; int samplesPerPixel; } layouts[] = {
        {pngGrey, 1}, {pngRgb, 3}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.type);
        std::vector<uint16_t> samples;
        for (uint16_t value : values)
            samples.insert(samples.end(), layout.samplesPerPixel, value);
        const Image image = roundTrip(layout.type, 16, 4, samples,
                                      {transparentColourChunk(std::vector<uint16_t>(layout.samplesPerPixel, 0x1234))});
        ASSERT_EQ(image.channels, 4);
        for (size_t x = 0; x < values.size(); ++x) {
            EXPECT_EQ(image.pixels[x * 4], (values[x] + 128) / 257) << x;
            EXPECT_EQ(image.pixels[x * 4 + 3], alphas[x]) << x;
        }
    }
}

TEST(PngWrite, EveryCompressionReadsBackTheSameBytes)
{
    // A normal map of a soft-edged shape, RGB and RGBA.
    std::mt19937 rng(17);
    const ScratchFolder scratch;
    for (int channels : {3, 4}) {
        Image image{120, 90, channels, maskImage(randomMask(rng, 120, 90), channels)};
        renderRegion(image.view(), image.view(), RenderSettings{}, {});
        uintmax_t sizes[2] = {};
        for (PngCompression compression : {PngCompression::fast, PngCompression::small}) {
            const std::string path = scratch.path("out.png");
            std::string error;
            ASSERT_TRUE(writePng(path, image, error, compression)) << error;
            Image back;
            ASSERT_TRUE(readPng(path, back, error)) << error;
            EXPECT_EQ(back.channels, channels);
            EXPECT_EQ(back.pixels, image.pixels);
            sizes[compression == PngCompression::small] = fs::file_size(path);
        }
        EXPECT_LT(sizes[1], sizes[0]) << "the smallest files are smaller";
    }
}

} // namespace
