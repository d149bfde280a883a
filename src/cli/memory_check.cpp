#include "cli/memory_check.h"

#include <sys/resource.h>
#include <unistd.h>

#include "cli/quoted_name.h"
#include "render/render.h"

namespace {

struct MemoryLimit {
    uint64_t bytes;
    std::string owner;  // whose limit it is, as a message says it
};

MemoryLimit memoryLimit()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    MemoryLimit limit{pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize)
                                                : UINT64_MAX,
                      "this machine's"};
    struct rlimit addressSpace;
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY &&
        addressSpace.rlim_cur < limit.bytes)
        limit = {addressSpace.rlim_cur, "the process's address-space limit of"};
    return limit;
}

// A size as people read it, in binary units: megabytes below 10 GB,
// gigabytes from there on, rounded up or down so that a need that exceeds
// what there is never reads as equal to it.
std::string inUnits(uint64_t bytes, bool roundUp)
{
    const uint64_t megabyte = uint64_t{1} << 20, gigabyte = uint64_t{1} << 30;
    const uint64_t unit = bytes < 10 * gigabyte ? megabyte : gigabyte;
    const uint64_t count = roundUp ? bytes / unit + (bytes % unit != 0) : bytes / unit;
    return std::to_string(count) + (unit == megabyte ? " MB" : " GB");
}

} // namespace

uint64_t renderBytesPerPixel(int channels, const CliOptions& options)
{
    const uint64_t alphaShapeCopy = options.mask == MaskChannel::alpha ? 4 : 0;
    const uint64_t wideOutput = options.bits == 16 ? 2 * static_cast<uint64_t>(channels) : 0;
    // A height map (2 bytes a pixel) is made after the render, from the one
    // plane that it keeps (4 bytes a pixel): never more than its peak.
    return static_cast<uint64_t>(channels) + alphaShapeCopy + wideOutput +
           renderPlaneBytesPerPixel(options.settings);
}

uint64_t probeBytesPerPixel(int channels)
{
    return static_cast<uint64_t>(channels) + 4;
}

bool fitsInMemory(const std::string& name, const PngHeader& header, uint64_t bytesPerPixel, uint64_t heldBytes,
                  std::string& error)
{
    // libpng takes at most 10^6 x 10^6 pixels (its default limits), of a few
    // dozen bytes each: no overflow.
    const uint64_t needs = uint64_t{header.width} * header.height * bytesPerPixel + heldBytes;
    const MemoryLimit limit = memoryLimit();
    if (needs <= limit.bytes)
        return true;
    error = quotedName(name) + " is " + std::to_string(header.width) + " x " + std::to_string(header.height) +
            " pixels: the render needs about " + inUnits(needs, true) + ", more than " + limit.owner + " " +
            inUnits(limit.bytes, false);
    return false;
}
