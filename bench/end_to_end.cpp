#include "end_to_end.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "cli/png_io.h"
#include "cli/render_image.h"
#include "timing.h"

namespace fs = std::filesystem;

void printEndToEnd(const Image& image, const char* imageName, int threads, bool quick,
                   const std::function<bool(const std::string& name)>& include)
{
    const fs::path dir = fs::temp_directory_path();
    const std::string input = (dir / ("ormolo_bench_" + std::to_string(getpid()) + "_in.png")).string();
    const std::string output = (dir / ("ormolo_bench_" + std::to_string(getpid()) + "_out.png")).string();
    std::string error;
    if (!writePng(input, image, error)) {
        std::printf("end to end: %s\n", error.c_str());
        return;
    }
    const int runs = quick ? 1 : 3;
    const double everyRun = HUGE_VAL;  // no time budget cuts the runs short
    std::printf("\nend to end, as the command-line tool works on one file: ms of the best of %d run%s\n",
                runs, runs == 1 ? "" : "s");
    std::printf("%-36s %9s %9s %9s %9s %9s\n", "case", "read", "render", "write", "total", "file KB");
    const struct { const char* name; SlopeProfile profile; } profiles[] = {{"flat", SlopeProfile::flat},
                                                                            {"round2", SlopeProfile::round2}};
    const struct { const char* name; PngCompression compression; } writers[] = {
        {"fast", PngCompression::fast}, {"small", PngCompression::small}};
    for (const auto& profile : profiles)
        for (const auto& writer : writers) {
            const std::string name = std::string("e2e-") + imageName + "-" + profile.name + "-" + writer.name;
            if (!include(name))
                continue;
            CliOptions options;
            options.settings.profile = profile.profile;
            options.threads = threads;
            options.compression = writer.compression;
            // Each stage its own best of the runs; the render starts each
            // run from the image as read, since the tool renders in place.
            Image file, rendered;
            RenderedExtras extras;
            bool ok = true;
            const double read =
                bestSeconds([&] { ok = ok && readPng(input, file, error); }, everyRun, runs);
            const double render = bestSeconds([&] { ok = ok && renderImage(rendered, options, {}, extras); },
                                              everyRun, runs, [&] { rendered = file; });
            const double write = bestSeconds(
                [&] { ok = ok && writePng(output, rendered, error, options.compression); }, everyRun, runs);
            if (!ok) {
                std::printf("%-36s %s\n", name.c_str(), error.c_str());
                continue;
            }
            std::printf("%-36s %9.1f %9.1f %9.1f %9.1f %9.1f\n", name.c_str(), read * 1e3, render * 1e3,
                        write * 1e3, (read + render + write) * 1e3,
                        static_cast<double>(fs::file_size(output)) / 1024.0);
            std::fflush(stdout);
        }
    fs::remove(input);
    fs::remove(output);
}
