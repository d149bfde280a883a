// PNG files put together chunk by chunk, for files that no encoder writes:
// image data that ends early, 16-bit samples of our choosing, palette
// indices beyond the palette, gamma and transparency chunks. Built with zlib
// alone, independently of libpng.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

enum PngColorType : uint8_t { pngGrey = 0, pngRgb = 2, pngPalette = 3, pngGreyAlpha = 4, pngRgba = 6 };

inline int samplesPerPixel(PngColorType type)
{
    return type == pngGrey || type == pngPalette ? 1 : type == pngGreyAlpha ? 2 : type == pngRgb ? 3 : 4;
}

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
};

inline void put32(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
}

inline PngChunk headerChunk(uint32_t width, uint32_t height, uint8_t bitDepth, PngColorType type,
                            bool interlaced = false)
{
    PngChunk chunk{"IHDR", {}};
    put32(chunk.data, width);
    put32(chunk.data, height);
    chunk.data.insert(chunk.data.end(), {bitDepth, type, 0, 0, static_cast<uint8_t>(interlaced ? 1 : 0)});
    return chunk;
}

// gAMA stores the file gamma times 100000.
inline PngChunk gammaChunk(uint32_t gammaTimes100000)
{
    PngChunk chunk{"gAMA", {}};
    put32(chunk.data, gammaTimes100000);
    return chunk;
}

// tRNS of a grey or RGB file: the 16-bit samples of the one colour that is
// fully transparent.
inline PngChunk transparentColourChunk(const std::vector<uint16_t>& samples)
{
    PngChunk chunk{"tRNS", {}};
    for (uint16_t sample : samples)
        chunk.data.insert(chunk.data.end(), {static_cast<uint8_t>(sample >> 8), static_cast<uint8_t>(sample)});
    return chunk;
}

// PLTE of the given colours, three bytes each.
inline PngChunk paletteChunk(const std::vector<std::array<uint8_t, 3>>& colours)
{
    PngChunk chunk{"PLTE", {}};
    for (const auto& colour : colours)
        chunk.data.insert(chunk.data.end(), colour.begin(), colour.end());
    return chunk;
}

// The signature, then each chunk with its length and CRC.
inline std::vector<uint8_t> pngFile(const std::vector<PngChunk>& chunks)
{
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    for (const PngChunk& chunk : chunks) {
        put32(bytes, static_cast<uint32_t>(chunk.data.size()));
        const size_t start = bytes.size();
        bytes.insert(bytes.end(), chunk.type.begin(), chunk.type.end());
        bytes.insert(bytes.end(), chunk.data.begin(), chunk.data.end());
        put32(bytes, static_cast<uint32_t>(crc32(0, &bytes[start], static_cast<uInt>(bytes.size() - start))));
    }
    return bytes;
}

// An 8-bit RGB file of the given size with these IDAT chunks (none at all is
// allowed) and an IEND.
inline std::vector<uint8_t> rgbPngFile(uint32_t width, uint32_t height, bool interlaced,
                                       const std::vector<std::vector<uint8_t>>& idats)
{
    std::vector<PngChunk> chunks = {headerChunk(width, height, 8, pngRgb, interlaced)};
    for (const auto& idat : idats)
        chunks.push_back({"IDAT", idat});
    chunks.push_back({"IEND", {}});
    return pngFile(chunks);
}

// A whole zlib stream of `data`.
inline std::vector<uint8_t> deflated(const std::vector<uint8_t>& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    compress(out.data(), &size, data.data(), static_cast<uLong>(data.size()));
    out.resize(size);
    return out;
}

// False when the file could not be written whole.
inline bool saveBytes(const std::string& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// A file of `samples` (row-major, samplesPerPixel(type) per pixel, each row
// with filter type 0; samples of 1, 2 or 4 bits packed from the high bits of
// each byte, 16-bit samples big-endian), with `extra` chunks between the
// header and the image data. False when it could not be written.
inline bool saveSamplesPng(const std::string& file, uint32_t width, uint32_t height, PngColorType type,
                           int bitDepth, const std::vector<uint16_t>& samples,
                           const std::vector<PngChunk>& extra = {})
{
    const size_t perRow = static_cast<size_t>(width) * samplesPerPixel(type);
    std::vector<uint8_t> raw;
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t column = i % perRow;
        if (column == 0)
            raw.push_back(0);
        if (bitDepth < 8) {
            const int shift = 8 - bitDepth * static_cast<int>(column % (8 / bitDepth) + 1);
            if (shift == 8 - bitDepth)
                raw.push_back(0);
            raw.back() = static_cast<uint8_t>(raw.back() | samples[i] << shift);
            continue;
        }
        if (bitDepth == 16)
            raw.push_back(static_cast<uint8_t>(samples[i] >> 8));
        raw.push_back(static_cast<uint8_t>(samples[i]));
    }
    std::vector<PngChunk> chunks = {headerChunk(width, height, static_cast<uint8_t>(bitDepth), type)};
    chunks.insert(chunks.end(), extra.begin(), extra.end());
    chunks.push_back({"IDAT", deflated(raw)});
    chunks.push_back({"IEND", {}});
    return saveBytes(file, pngFile(chunks));
}
