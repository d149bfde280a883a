// ormolo2: renders the bevel of a PNG shape mask into a PNG file.
#include <cstdio>
#include <string>

#include "cli/options.h"
#include "cli/png_io.h"
#include "cli/progress_bar.h"
#include "render/render.h"

namespace {

int fail(const std::string& message)
{
    std::fprintf(stderr, "ormolo2: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
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
    {
        ProgressBar bar;
        renderRegion(image.pixels.data(), image.pixels.data(), image.width, image.height,
                     image.channels, options.vals, bar.callback());
    }
    if (!writePng(options.outputPath, image, error))
        return fail(error);
    return 0;
}
