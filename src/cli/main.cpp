// ormolo2: renders the bevel of a PNG shape mask into a PNG file, or of many
// masks into a directory.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/memory_check.h"
#include "cli/options.h"
#include "cli/png_io.h"
#include "cli/progress_bar.h"
#include "cli/quoted_name.h"
#include "cli/render_image.h"
#include "cli/signal_cleanup.h"
#include "cli/streams.h"
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

// Writes `text` to standard output and makes sure that it got there: a
// summary lost to a full disk or a closed pipe is an error like any other.
bool print(const std::string& text, std::string& error)
{
    errno = 0;
    if (std::fputs(text.c_str(), stdout) != EOF && std::fflush(stdout) == 0)
        return true;
    error = std::string("cannot write to standard output: ") + std::strerror(errno != 0 ? errno : EIO);
    return false;
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

// Encodes the normal map, and the height map when the job has one, into
// their open outputs.
bool encodeOutputs(const FileJob& job, const Image& image, const RenderedExtras& extras,
                   PngCompression compression, OutputFile& output, OutputFile& heightMap, std::string& error)
{
    const bool wide = !extras.wideOutput.samples.empty();
    const bool ok = wide ? encodePng(output.file, job.outputPath, extras.wideOutput, compression, {}, error)
                         : encodePng(output.file, job.outputPath, image, compression, error);
    return ok && (job.heightPath.empty() ||
                  encodePng(heightMap.file, job.heightPath, extras.heightMap, compression,
                            {{"Ormolo2-Height-Scale", heightScaleText(extras.heightScale)}}, error));
}

// The input is opened first, so that a missing one is told before a FIFO
// output waits for its reader; the outputs before the pixels are read, so
// that an output that cannot be written is told before the render. The
// normal map and its height map take their places only once both are
// written.
bool renderFile(const FileJob& job, const CliOptions& options, const ProgressFn& progress, std::string& error)
{
    try {
        const InputFile input = openInput(job.inputPath, error);
        if (!input)
            return false;
        OutputFile output, heightMap;
        if (!openOutput(job.outputPath, output, error) ||
            (!job.heightPath.empty() && !openOutput(job.heightPath, heightMap, error)))
            return false;
        const ProbeImage* probe = options.settings.probe;
        const uint64_t probeBytes = probe ? probe->rgba.size() : 0;
        const HeaderCheck fits = [&](const PngHeader& header, std::string& refusal) {
            return fitsInMemory(job.inputPath, header, renderBytesPerPixel(header.channels, options), probeBytes,
                                refusal);
        };
        Image image;
        if (!readPng(input.get(), job.inputPath, image, error, fits))
            return false;
        RenderedExtras extras;
        if (!renderImage(image, options, progress, extras)) {
            error = quotedName(job.inputPath) + " has no alpha channel to take the shape from (--mask alpha)";
            return false;
        }
        std::vector<OutputFile*> outputs = {&output};
        if (!job.heightPath.empty())
            outputs.push_back(&heightMap);
        return encodeOutputs(job, image, extras, options.compression, output, heightMap, error) &&
               finishOutputs(outputs, error);
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
    if (options.showHelp)
        return print(cliUsage(), error) ? 0 : fail(error);
    if (options.showVersion)
        return print("ormolo2 " ORMOLO_VERSION "\n", error) ? 0 : fail(error);
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
        const HeaderCheck fits = [&](const PngHeader& header, std::string& refusal) {
            return fitsInMemory(options.probePath, header, probeBytesPerPixel(header.channels), 0, refusal);
        };
        if (!readPng(options.probePath, probeFile, error, fits))
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
    const std::string summary = "ormolo2: " + std::to_string(static_cast<int>(jobs.size()) - failed) +
                                " rendered, " + std::to_string(failed) + " failed\n";
    if (!options.outDir.empty() && !print(summary, error))
        return fail(error);
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    installSignalCleanup();
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}
