#include "render/random_stream.h"

#include <atomic>

namespace {

std::atomic<uint64_t> nextPosition{0};

// SplitMix64's finaliser: a bijective mix whose low bits are uniform for
// consecutive inputs.
uint64_t mix(uint64_t value)
{
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

} // namespace

uint64_t reserveRandomDraws(uint64_t count)
{
    return nextPosition.fetch_add(count);
}

uint64_t randomStreamPosition()
{
    return nextPosition.load();
}

void setRandomStreamPosition(uint64_t position)
{
    nextPosition.store(position);
}

int32_t randomDrawAt(uint64_t position)
{
    return static_cast<int32_t>(mix(position) >> 49);  // the top 15 bits
}
