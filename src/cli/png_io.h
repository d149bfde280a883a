// Reading PNG files as 8-bit RGB or RGBA images, and writing 8-bit or 16-bit
// ones. Grey, grey+alpha and palette images are expanded to RGB or RGBA;
// 16-bit images are rounded to 8 bits as GIMP rounds them for a plug-in.
#pragma once

#include <string>
#include <vector>

#include "cli/image.h"

// How hard the writer compresses: fast, or the smallest files.
enum class PngCompression { fast, small };

// On failure both return false and set `error` to a one-line message.
bool readPng(const std::string& path, Image& image, std::string& error);

// A tEXt chunk: a keyword (1 to 79 Latin-1 characters) and its text.
struct PngText {
    std::string keyword;
    std::string text;
};

// A PNG written in full to a new file of its own beside `path`, which takes
// the place of `path` only when committed: a failed write leaves no partial
// output behind, and runs writing the same output at once each leave a
// whole file (the last rename wins).
struct StagedPng {
    std::string path;
    std::string temporaryPath;
};

// 8-bit images, or 16-bit ones (grey for one channel) with tEXt chunks
// before the image data.
bool stagePng(const std::string& path, const Image& image, PngCompression compression, StagedPng& staged,
              std::string& error);
bool stagePng(const std::string& path, const WideImage& image, PngCompression compression,
              const std::vector<PngText>& texts, StagedPng& staged, std::string& error);

// Renames the staged files into place in their order. At the first rename
// that fails it removes that file's and the later files' temporary files
// and returns false; the files renamed before it stay.
bool commitPngs(const std::vector<StagedPng>& files, std::string& error);

// Removes the temporary files; nothing takes a place.
void discardPngs(const std::vector<StagedPng>& files);

// Stages and commits one file.
bool writePng(const std::string& path, const Image& image, std::string& error,
              PngCompression compression = PngCompression::fast);
