// The process-wide stream of random integers 0..32767 that the blurred probe
// lookup draws from. Draw number i of the stream is a fixed function of i, so
// a render that reserves a block of draws can hand them out to any number of
// threads and still use exactly the values a single thread would.
#pragma once

#include <cstdint>

constexpr int32_t randomMax = 32767;

// Reserves `count` successive draws and returns the position of the first.
// Renders never rewind the stream: each takes the draws after the last one.
uint64_t reserveRandomDraws(uint64_t count);

// Where the next reservation starts.
uint64_t randomStreamPosition();

// Moves the stream to `position`, for reproducible batch output.
void setRandomStreamPosition(uint64_t position);

// The draw at `position`: uniform over 0..randomMax.
int32_t randomDrawAt(uint64_t position);
