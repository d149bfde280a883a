// PNG files put together chunk by chunk, for files that no encoder writes.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

// An 8-bit RGB file of the given size with these IDAT chunks (none at all is
// allowed) and an IEND.
inline std::vector<uint8_t> rgbPngFile(uint32_t width, uint32_t height, bool interlaced,
                                       const std::vector<std::vector<uint8_t>>& idats)
{
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    auto put32 = [&](uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<uint8_t>(value >> shift));
    };
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        put32(static_cast<uint32_t>(data.size()));
        const size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        put32(static_cast<uint32_t>(crc32(0, &bytes[start], static_cast<uInt>(bytes.size() - start))));
    };
    std::vector<uint8_t> header;
    for (uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.push_back(static_cast<uint8_t>(value >> shift));
    header.insert(header.end(), {8, 2, 0, 0, static_cast<uint8_t>(interlaced ? 1 : 0)});
    chunk("IHDR", header);
    for (const auto& idat : idats)
        chunk("IDAT", idat);
    chunk("IEND", {});
    return bytes;
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

inline void saveBytes(const std::string& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
