// ormolo2: renders the bevel of a PNG shape mask into a PNG file, or of many
// masks into a directory.
#include <cstdio>
#include <vector>
#include <new>
#include <string>

#include "cli/batch.h"
#include "cli/options.h"
#include "cli/png_io.h"
#include "cli/progress_bar.h"
#include "cli/quoted_name.h"
#include "cli/render_image.h"
#include "render/normals/lane_set.h"

namespace {

void report(const std::string& message)
{
    std::fprintf(stderr, "ormolo2: %s\n", message.c_str());
}

int fail(const std::string& message)
{
    report(message);
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

// The height in pixels that 65535 stands for, in nine significant digits:
// every height reads back from the file within one step of 65535.
std::string heightScaleText(double scale)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", scale);
    return text;
}

// The normal map, and the height map when the job has one: both take their
// places only once both are written.
bool writeOutputs(const FileJob& job, const Image& image, const RenderedExtras& extras,
                  PngCompression compression, std::string& error)
{
    std::vector<StagedPng> files(1);
    const bool wide = !extras.wideOutput.samples.empty();
    bool ok = wide ? stagePng(job.outputPath, extras.wideOutput, compression, {}, files[0], error)
                   : stagePng(job.outputPath, image, compression, files[0], error);
    if (ok && !job.heightPath.empty()) {
        files.emplace_back();
        ok = stagePng(job.heightPath, extras.heightMap, compression,
                      {{"Ormolo2-Height-Scale", heightScaleText(extras.heightScale)}}, files[1], error);
        if (!ok)
            discardPngs({files[0]});
    }
    return ok && commitPngs(files, error);
}

bool renderFile(const FileJob& job, const CliOptions& options, const ProgressFn& progress, std::string& error)
{
    try {
        Image image;
        if (!readPng(job.inputPath, image, error))
            return false;
        RenderedExtras extras;
        if (!renderImage(image, options, progress, extras)) {
            error = quotedName(job.inputPath) + " has no alpha channel to take the shape from (--mask alpha)";
            return false;
        }
        return writeOutputs(job, image, extras, options.compression, error);
    } catch (const std::bad_alloc&) {
        error = "out of memory rendering " + quotedName(job.inputPath);
        return false;
    }
}

int run(int argc, char** argv)
{
    CliOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error))
        return fail(error);
    if (options.showHelp) {
        std::fputs(cliUsage().c_str(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::puts("ormolo2 " ORMOLO_VERSION);
        return 0;
    }
    // Once, before any file: the renderer itself stays silent.
    const LaneChoice& lanes = environmentLaneChoice();
    if (!lanes.refused.empty())
        report(laneRefusal(lanes, quotedName(lanes.refused)));

    std::vector<FileJob> jobs;
    if (!planJobs(options, jobs, error))
        return fail(error);
    ProbeImage probe;
    if (!options.probePath.empty()) {
        Image probeFile;
        if (!readPng(options.probePath, probeFile, error))
            return fail(error);
        probe = toProbe(probeFile);
        options.settings.probe = &probe;
    }

    // Every file is rendered as the two-file form would render it; one that
    // fails is reported and the batch goes on.
    int failed = 0;
    {
        ProgressBar bar(static_cast<int>(jobs.size()));
        for (size_t i = 0; i < jobs.size(); ++i) {
            if (renderFile(jobs[i], options, bar.callback(static_cast<int>(i)), error))
                continue;
            bar.interrupt();
            report(error);
            ++failed;
        }
    }
    if (!options.outDir.empty())
        std::printf("ormolo2: %d rendered, %d failed\n", static_cast<int>(jobs.size()) - failed, failed);
    return failed == 0 ? 0 : 1;
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
