// The benchmark's inputs and the list of cases run over them.
#pragma once

#include <string>
#include <vector>

#include "renderers.h"
#include "synthetic_images.h"

struct BenchInputs {
    Image text40;     // bold text 40 px thick, small enough for the literal renderer
    Image disc;       // one disc of radius 100 on a small canvas
    Image poster;     // 2048 x 2048, text and discs
    Image preview60;  // 512 x 512 preview area over text 60 px thick
    Image white;      // 2000 x 2000 white: a layer without any edge
    Image bricks;     // 1024 x 1024 tile of a seamless pattern
    ProbeImage probe;      // 256 x 256 spherical probe: a lit ball on a gradient
};

BenchInputs makeBenchInputs();

struct BenchCase {
    std::string name;
    const Image* image;
    BenchSettings settings;
    bool runLiteral;  // only where the literal renderer finishes in seconds
};

// Every case, in the order printed; `threads` goes into each case's settings.
std::vector<BenchCase> benchCases(const BenchInputs& inputs, int threads);
