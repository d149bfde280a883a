#include "bench_cases.h"

namespace {

struct Profile {
    const char* name;
    SlopeTypeEnum slope;
    int32_t maxFlatRadius;
};

// Flat also at its dialog's largest smoothing radius, where its normals
// rather than the shared linear stages take the time.
constexpr Profile profiles[] = {{"flat", SLOPE_FLAT, 3},
                                {"flat-r32", SLOPE_FLAT, 32},
                                {"round", SLOPE_ROUND, 3},
                                {"round2", SLOPE_ROUND2, 3}};

} // namespace

BenchInputs makeBenchInputs()
{
    BenchInputs inputs;
    inputs.text40 = blankImage(260, 200, 3);
    drawText(inputs.text40, "OR", 40, 12, 20);
    inputs.disc = blankImage(240, 240, 3);
    drawDisc(inputs.disc, 120.3, 119.6, 100);
    inputs.poster = posterImage();
    inputs.preview60 = blankImage(512, 512, 4);
    drawText(inputs.preview60, "MOR", 60, 10, 10);
    drawText(inputs.preview60, "SLO", 60, 10, 262);
    inputs.white = blankImage(2000, 2000, 3);
    inputs.white.pixels.assign(inputs.white.pixels.size(), 255);
    inputs.bricks = bricksTile(1024);
    inputs.probe = probeImage(256);
    return inputs;
}

std::vector<BenchCase> benchCases(const BenchInputs& inputs, int threads)
{
    struct Input {
        const char* name;
        const Image* image;
        bool runLiteral;
    };
    const Input sets[] = {
        {"text40", &inputs.text40, true},
        {"disc100", &inputs.disc, true},
        {"poster2048", &inputs.poster, false},
        {"white2000", &inputs.white, false},
    };
    std::vector<BenchCase> cases;
    for (const Input& input : sets)
        for (const Profile& profile : profiles) {
            BenchSettings settings;
            settings.vals.slopeType = profile.slope;
            settings.vals.maxNormalMapBlurRadius = profile.maxFlatRadius;
            settings.threads = threads;
            cases.push_back({std::string(input.name) + "-" + profile.name, input.image, settings,
                             input.runLiteral});
        }
    // Probe reflection, sharp and blurred, with the default Round2 profile.
    const struct {
        const char* name;
        double specularity;
    } probeModes[] = {{"probe-exact", 1.0}, {"probe-blurred", 0.5}};
    for (const Input& input : sets)
        for (const auto& mode : probeModes) {
            BenchSettings settings;
            settings.vals.specularity = mode.specularity;
            settings.probe = &inputs.probe;
            settings.threads = threads;
            cases.push_back({std::string(input.name) + "-round2-" + mode.name, input.image, settings,
                             input.runLiteral});
        }

    BenchSettings preview;  // the default settings: Round2
    preview.threads = threads;
    preview.keepsWorkspace = true;
    cases.push_back({"preview512-text60-round2", &inputs.preview60, preview, true});
    return cases;
}
