// Reading and writing PNG files as 8-bit RGB or RGBA images. Grey, grey+alpha
// and palette images are expanded to RGB or RGBA; 16-bit images are rounded
// to 8 bits as GIMP rounds them for a plug-in.
#pragma once

#include <string>

#include "cli/image.h"

// How hard the writer compresses: fast, or the smallest files.
enum class PngCompression { fast, small };

// On failure both return false and set `error` to a one-line message.
bool readPng(const std::string& path, Image& image, std::string& error);

// Writes a new file of its own beside `path` and renames it into place only
// when it is complete: a failed write leaves no partial output behind, and
// runs writing the same output at once each leave a whole file (the last
// rename wins).
bool writePng(const std::string& path, const Image& image, std::string& error,
              PngCompression compression = PngCompression::fast);
