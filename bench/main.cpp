// Benchmark of the renderer: speed against the literal transcription on the
// same inputs in the same process, distance transform time, peak heap and
// byte identity; then the cost of a seamless tile against an ordinary
// render, and the command-line tool's work on the poster end to end (PNG
// read, render, PNG write). Run by hand:
//
//   ormolo_bench [--quick] [--threads N] [NAME-FILTER...]
//   ormolo_bench --thickness [--threads N]
//   ormolo_bench --stop
//
// --quick times each render once and skips the poster; a filter keeps the
// cases whose names contain any of the given words. --thickness runs only
// the sweep over shape thickness (thickness_sweep.h), --stop only the
// latency of a preview render's stop (stop_latency.h).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench_cases.h"
#include "cli/quoted_name.h"
#include "end_to_end.h"
#include "heap_meter.h"
#include "stop_latency.h"
#include "render/normals/lane_set.h"
#include "render/normals/quotient_choice.h"
#include "thickness_sweep.h"
#include "tile_timing.h"
#include "timing.h"

namespace {

struct Options {
    bool quick = false;
    bool thickness = false;
    bool stop = false;
    int threads = 0;
    std::vector<std::string> filters;
};

void usage()
{
    std::fprintf(stderr, "usage: ormolo_bench [--quick] [--threads N] [NAME-FILTER...]\n"
                         "       ormolo_bench --thickness [--threads N]\n"
                         "       ormolo_bench --stop\n");
    std::exit(2);
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.quick = true;
        } else if (std::strcmp(argv[i], "--thickness") == 0) {
            options.thickness = true;
        } else if (std::strcmp(argv[i], "--stop") == 0) {
            options.stop = true;
        } else if (std::strcmp(argv[i], "--threads") == 0) {
            if (++i == argc)
                usage();
            char* end = nullptr;
            const long threads = std::strtol(argv[i], &end, 10);
            if (*end != '\0' || threads < 0 || threads > 256)
                usage();
            options.threads = static_cast<int>(threads);
        } else if (argv[i][0] == '-') {
            usage();
        } else {
            options.filters.emplace_back(argv[i]);
        }
    }
    return options;
}

bool selected(const Options& options, const std::string& name)
{
    if (options.quick && name.find("poster") != std::string::npos)
        return false;
    if (options.filters.empty())
        return true;
    for (const std::string& filter : options.filters)
        if (name.find(filter) != std::string::npos)
            return true;
    return false;
}

// The processor's model name as the kernel reports it, or "unknown".
std::string processorModel()
{
    std::FILE* file = std::fopen("/proc/cpuinfo", "r");
    if (!file)
        return "unknown";
    char line[512];
    std::string model = "unknown";
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, "model name", 10) != 0)
            continue;
        const char* colon = std::strchr(line, ':');
        if (colon) {
            model = colon + 1;
            model.erase(0, model.find_first_not_of(" \t"));
            model.erase(model.find_last_not_of(" \t\n") + 1);
        }
        break;
    }
    std::fclose(file);
    return model;
}

double megapixels(const Image& image)
{
    return static_cast<double>(image.width) * image.height / 1e6;
}

double distanceMsPerMegapixel(const Image& image, bool quick)
{
    const size_t count = static_cast<size_t>(image.width) * image.height;
    DistanceBuffers buffers{std::vector<float>(count), std::vector<float>(count)};
    const double seconds =
        bestSeconds([&] { runDistanceTransform(image, buffers); }, quick ? 0.0 : 0.3, 50);
    return seconds * 1e3 / megapixels(image);
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    std::printf("processor: %s\n", processorModel().c_str());
    const LaneChoice& lanes = environmentLaneChoice();
    if (!lanes.refused.empty())
        std::fprintf(stderr, "ormolo2: %s\n", laneRefusal(lanes, quotedName(lanes.refused)).c_str());
    std::printf("instruction set: %s, Round2 length quotients by %s\n", laneSetName(defaultLaneSet()),
                lengthQuotientsName(bestLengthQuotients()));
    if (options.thickness) {
        runThicknessSweep(options.threads);
        return 0;
    }
    const BenchInputs inputs = makeBenchInputs();
    if (options.stop) {
        runStopLatency(inputs.preview60);
        return 0;
    }

    std::printf("threads: %d%s\n", options.threads,
                options.threads == 0 ? " = one per core, fewer for small work" : "");
    std::printf("ms, MP/s: product renderer (renderRegion), best of %s\n",
                options.quick ? "1 run" : "repeated runs");
    std::printf("x literal: time of the literal transcription / product time, same input\n");
    std::printf("DT ms/MP: seeds + forward + backward + distance field, one thread, best run\n");
    std::printf("heap B/px: peak bytes live through operator new during one product render,\n"
                "           above its input and output, per region pixel\n\n");
    std::printf("%-30s %9s %9s %8s %9s %8s %9s %9s\n", "case", "size", "ms", "MP/s", "x literal",
                "DT ms/MP", "heap B/px", "identical");

    std::map<const Image*, double> distanceTimes;  // the same for every profile
    std::vector<uint8_t> output;
    for (const BenchCase& c : benchCases(inputs, options.threads)) {
        if (!selected(options, c.name))
            continue;
        const Image& image = *c.image;
        output.assign(image.pixels.size(), 0);

        heapMeterReset();
        double seconds = secondsOf([&] { renderProduct(image, c.settings, output); });
        const size_t heapPeak = heapMeterPeakAboveReset();
        if (!options.quick)
            seconds = std::min(seconds, bestSeconds([&] { renderProduct(image, c.settings, output); },
                                                    1.0, 10));

        std::string ratio = "-", identical = "-";
        if (c.runLiteral) {
            std::vector<uint8_t> literal;
            const double literalSeconds = secondsOf([&] { literal = renderLiteral(image, c.settings); });
            char text[32];
            std::snprintf(text, sizeof text, "%.1f", literalSeconds / seconds);
            ratio = text;
            identical = literal == output ? "yes" : "NO";
        }
        if (!distanceTimes.count(&image))
            distanceTimes[&image] = distanceMsPerMegapixel(image, options.quick);

        char size[32];
        std::snprintf(size, sizeof size, "%dx%d", image.width, image.height);
        std::printf("%-30s %9s %9.1f %8.2f %9s %8.2f %9.1f %9s\n", c.name.c_str(), size, seconds * 1e3,
                    megapixels(image) / seconds, ratio.c_str(), distanceTimes[&image],
                    static_cast<double>(heapPeak) / (megapixels(image) * 1e6), identical.c_str());
        std::fflush(stdout);
    }
    const auto include = [&](const std::string& name) { return selected(options, name); };
    printTileTimes(inputs.bricks, "bricks1024", options.threads, options.quick, include);
    printEndToEnd(inputs.poster, "poster2048", options.threads, options.quick, include);
    return 0;
}
