// Reading PNG files as 8-bit RGB or RGBA images, and writing 8-bit or 16-bit
// ones. Grey, grey+alpha and palette images are expanded to RGB or RGBA;
// 16-bit images are rounded to 8 bits as GIMP rounds them for a plug-in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/image.h"

// How hard the writer compresses: fast, or the smallest files.
enum class PngCompression { fast, small };

// An image's size as its header gives it, in the channels it is read with.
struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;  // 3 or 4
};

// Decides from the header, before any pixel is allocated, whether the image
// is read; returns false with a one-line `error` to refuse it.
using HeaderCheck = std::function<bool(const PngHeader& header, std::string& error)>;

// Reads the PNG file in `file`, named `name` in messages. On failure returns
// false and sets `error` to a one-line message.
bool readPng(FILE* file, const std::string& name, Image& image, std::string& error,
             const HeaderCheck& check = {});

// Opens `path` ("-": standard input) and reads it as above.
bool readPng(const std::string& path, Image& image, std::string& error, const HeaderCheck& check = {});

// A tEXt chunk: a keyword (1 to 79 Latin-1 characters) and its text.
struct PngText {
    std::string keyword;
    std::string text;
};

// Encode an image into `file`, open for writing (see streams.h), which stays
// open: 8-bit images, or 16-bit ones (grey for one channel) with tEXt chunks
// before the image data. On failure they return false and set `error`,
// naming the output `name`, with the system's reason for a failed write.
bool encodePng(FILE* file, const std::string& name, const Image& image, PngCompression compression,
               std::string& error);
bool encodePng(FILE* file, const std::string& name, const WideImage& image, PngCompression compression,
               const std::vector<PngText>& texts, std::string& error);

// Opens the output `path` as openOutput does, encodes `image` into it and
// completes it: a regular file appears whole or not at all.
bool writePng(const std::string& path, const Image& image, std::string& error,
              PngCompression compression = PngCompression::fast);
