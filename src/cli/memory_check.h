// Whether an image's render fits into the memory the process can have,
// worked out from its header before any pixel is allocated, so that a file
// that declares a huge image is refused at once with the figures instead
// of filling memory for a minute before it fails.
#pragma once

#include <cstdint>
#include <string>

#include "cli/options.h"
#include "cli/png_io.h"

// The bytes per pixel that the tool holds while it renders an image of
// `channels` with `options`: the image itself (rendered in place), its copy
// for --mask alpha, a 16-bit normal map and the renderer's planes.
uint64_t renderBytesPerPixel(int channels, const CliOptions& options);

// The bytes per pixel that reading a probe of `channels` holds: the image
// read and the renderer's copy of four bytes a pixel.
uint64_t probeBytesPerPixel(int channels);

// Returns false with a one-line `error` when an image of `header`'s size at
// `bytesPerPixel`, with `heldBytes` the run already holds (the probe), needs
// more than the process can have: the smaller of the machine's physical
// memory and the process's address-space limit.
bool fitsInMemory(const std::string& name, const PngHeader& header, uint64_t bytesPerPixel, uint64_t heldBytes,
                  std::string& error);
