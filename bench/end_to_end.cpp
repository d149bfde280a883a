#include "end_to_end.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "cli/png_io.h"
#include "render/render.h"

namespace fs = std::filesystem;

namespace {

double millisecondsOf(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Split {
    double read = 1e300, render = 1e300, write = 1e300;
};

} // namespace

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
    std::printf("\nend to end, as the command-line tool works on one file: ms of the best of %s\n",
                quick ? "1 run" : "3 runs");
    std::printf("%-36s %9s %9s %9s %9s %9s\n", "case", "read", "render", "write", "total", "file KB");
    const struct { const char* name; int32_t slope; } profiles[] = {{"flat", SLOPE_FLAT}, {"round2", SLOPE_ROUND2}};
    const struct { const char* name; PngCompression compression; } writers[] = {
        {"fast", PngCompression::fast}, {"small", PngCompression::small}};
    for (const auto& profile : profiles)
        for (const auto& writer : writers) {
            const std::string name = std::string("e2e-") + imageName + "-" + profile.name + "-" + writer.name;
            if (!include(name))
                continue;
            OrmoloVals vals = ormoloDefaults;
            vals.slopeType = profile.slope;
            Split best;
            bool ok = true;
            for (int run = 0; run < (quick ? 1 : 3) && ok; ++run) {
                Image file;
                best.read = std::min(best.read, millisecondsOf([&] { ok = readPng(input, file, error); }));
                best.render = std::min(best.render, millisecondsOf([&] {
                    renderRegion(file.view(), file.view(), vals, nullptr, {}, threads);
                }));
                best.write = std::min(best.write, millisecondsOf([&] {
                    ok = ok && writePng(output, file, error, writer.compression);
                }));
            }
            if (!ok) {
                std::printf("%-36s %s\n", name.c_str(), error.c_str());
                continue;
            }
            std::printf("%-36s %9.1f %9.1f %9.1f %9.1f %9.1f\n", name.c_str(), best.read, best.render,
                        best.write, best.read + best.render + best.write,
                        static_cast<double>(fs::file_size(output)) / 1024.0);
            std::fflush(stdout);
        }
    fs::remove(input);
    fs::remove(output);
}
