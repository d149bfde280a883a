// ormolo2: renders the bevel of a PNG shape mask into a PNG file.
#include <cstdio>
#include <new>
#include <string>

#include "cli/options.h"
#include "cli/png_io.h"
#include "cli/progress_bar.h"
#include "render/random_stream.h"
#include "render/render.h"

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "ormolo2: %s\n", message.c_str());
    return 1;
}

// The probe as the renderer takes it: four bytes per pixel.
ProbeImage toProbe(const Image& image)
{
    ProbeImage probe;
    probe.width = image.width;
    probe.height = image.height;
    probe.hasAlpha = image.channels == 4;
    const size_t count = static_cast<size_t>(image.width) * image.height;
    probe.rgba.resize(count * 4, 255);
    for (size_t i = 0; i < count; ++i)
        for (int c = 0; c < image.channels; ++c)
            probe.rgba[i * 4 + c] = image.pixels[i * image.channels + c];
    return probe;
}

int run(int argc, char** argv)
{
    CliOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return fail(error);
    if (options.showHelp) {
        std::fputs(cliUsage, stdout);
        return 0;
    }
    Image image;
    if (!readPng(options.inputPath, image, error))
        return fail(error);
    ProbeImage probe;
    if (!options.probePath.empty()) {
        Image probeFile;
        if (!readPng(options.probePath, probeFile, error))
            return fail(error);
        probe = toProbe(probeFile);
    }
    if (options.seedGiven)
        setRandomStreamPosition(options.seed);
    {
        ProgressBar bar;
        const PixelView<uint8_t> pixels(image.pixels.data(), image.width, image.height, image.channels);
        renderRegion(pixels, pixels, options.vals, options.probePath.empty() ? nullptr : &probe,
                     bar.callback());
    }
    if (!writePng(options.outputPath, image, error))
        return fail(error);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}
