// Reading and writing 8-bit PNG files. Grey, grey+alpha and palette images
// are expanded to RGB or RGBA; 16-bit images are refused.
#pragma once

#include <string>

#include "cli/image.h"

// On failure both return false and set `error` to a one-line message.
bool readPng(const std::string& path, Image& image, std::string& error);

// Writes a new file of its own beside `path` and renames it into place only
// when it is complete: a failed write leaves no partial output behind, and
// runs writing the same output at once each leave a whole file (the last
// rename wins).
bool writePng(const std::string& path, const Image& image, std::string& error);
