// Fixed synthetic inputs of the benchmark, drawn procedurally: bold
// letter-like strokes and discs, white on black with antialiased edges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/image.h"
#include "render/probe_image.h"

Image blankImage(int width, int height, int channels);

// Draws `text` (letters from "LMORS"; others leave a gap) with strokes
// `stroke` pixels thick, the top-left of the first letter's box at
// (left, top). Returns the x just right of the last letter.
double drawText(Image& image, const std::string& text, double stroke, double left, double top);

void drawDisc(Image& image, double centreX, double centreY, double radius);

// A size x size spherical probe: a bright ball lit from the top left on a
// blue-to-brown gradient, no alpha.
ProbeImage probeImage(int size);

// Text 40 px thick and discs of radius 100 to 150, with a line of text
// 60 px thick, on a 2048 x 2048 canvas.
Image posterImage();

// A size x size tile of a seamless pattern (size a multiple of 256): bricks
// 48 px thick in courses that are offset by half a brick, so that bricks
// cross the left and right edges, and a rivet of radius 40 centred on the
// corner, which wraps around into all four corners.
Image bricksTile(int size);
