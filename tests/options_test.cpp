#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "cli/options.h"

namespace {

struct Parsed {
    bool ok;
    CliOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "ormolo2");
    Parsed parsed{false, {}, {}};
    parsed.ok = parseOptions(static_cast<int>(arguments.size()), arguments.data(), parsed.options,
                             parsed.error);
    return parsed;
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSameOptions(const CliOptions& got, const CliOptions& want)
{
    const RenderSettings& g = got.settings;
    const RenderSettings& w = want.settings;
    EXPECT_EQ(g.invertInput, w.invertInput);
    EXPECT_EQ(g.profile, w.profile);
    EXPECT_EQ(g.maxFlatRadius, w.maxFlatRadius);
    EXPECT_TRUE(sameBits(g.depthFlat, w.depthFlat)) << g.depthFlat;
    EXPECT_TRUE(sameBits(g.depthRound, w.depthRound)) << g.depthRound;
    EXPECT_TRUE(sameBits(g.depthRound2, w.depthRound2)) << g.depthRound2;
    EXPECT_TRUE(sameBits(g.specularity, w.specularity)) << g.specularity;
    EXPECT_EQ(g.flipY, w.flipY);
    EXPECT_EQ(g.tile, w.tile);
    EXPECT_EQ(g.probe, w.probe);
    EXPECT_EQ(g.encoding, w.encoding);
    EXPECT_EQ(got.bits, want.bits);
    EXPECT_EQ(got.heightMapPath, want.heightMapPath);
    EXPECT_EQ(got.heightDir, want.heightDir);
    EXPECT_TRUE(sameBits(got.heightScale, want.heightScale)) << got.heightScale;
    EXPECT_EQ(got.mask, want.mask);
    EXPECT_EQ(got.probePath, want.probePath);
    EXPECT_EQ(got.seed, want.seed);
    EXPECT_EQ(got.threads, want.threads);
    EXPECT_EQ(got.compression, want.compression);
    EXPECT_EQ(got.outDir, want.outDir);
    EXPECT_EQ(got.inputPaths, want.inputPaths);
    EXPECT_EQ(got.outputPath, want.outputPath);
    EXPECT_EQ(got.showHelp, want.showHelp);
    EXPECT_EQ(got.showVersion, want.showVersion);
}

TEST(Options, AcceptedCommandLinesSetExactlyTheirSettings)
{
    const struct {
        const char* name;
        std::vector<const char*> arguments;
        std::function<void(CliOptions&)> change;  // applied to the defaults
    } cases[] = {
        {"defaults", {"in.png", "out.png"}, [](CliOptions&) {}},
        {"value as the next argument and after '='",
         {"--slope", "flat", "--max-blur-radius=32", "--depth-flat", "2.5", "in.png", "out.png"},
         [](CliOptions& o) {
             o.settings.profile = SlopeProfile::flat;
             o.settings.maxFlatRadius = 32;
             o.settings.depthFlat = 2.5f;
         }},
        {"slope numbers pass through as scripts pass them",
         {"--slope", "0", "--invert", "in.png", "out.png"},
         [](CliOptions& o) {
             o.settings.profile = SlopeProfile::roundOverDistance;
             o.settings.invertInput = true;
         }},
        {"largest byte, and a negative zero depth kept",
         {"--slope=255", "--max-blur-radius", "255", "--depth-round2=-0", "in.png", "out.png"},
         [](CliOptions& o) {
             o.settings.profile = SlopeProfile::roundOverDistance;
             o.settings.maxFlatRadius = 255;
             o.settings.depthRound2 = -0.0f;
         }},
        {"probe, specularity and the largest seed",
         {"--probe", "p.png", "--specularity", "0.25", "--seed=18446744073709551615", "in.png", "out.png"},
         [](CliOptions& o) {
             o.probePath = "p.png";
             o.settings.specularity = 0.25;
             o.seed = 18446744073709551615ull;
         }},
        {"'--' ends the options", {"--", "-in.png", "--out.png"},
         [](CliOptions& o) {
             o.inputPaths = {"-in.png"};
             o.outputPath = "--out.png";
         }},
        {"a lone '-' is a file name", {"-", "out.png"}, [](CliOptions& o) { o.inputPaths = {"-"}; }},
        {"help ends the parse", {"--depth-flat", "4", "-h", "--bogus"},
         [](CliOptions& o) {
             o.settings.depthFlat = 4.0f;
             o.showHelp = true;
             o.inputPaths.clear();
             o.outputPath.clear();
         }},
        {"version ends the parse", {"--version", "--bogus"},
         [](CliOptions& o) {
             o.showVersion = true;
             o.inputPaths.clear();
             o.outputPath.clear();
         }},
        {"the tool's own settings", {"--mask", "alpha", "--flip-y", "--threads=256", "in.png", "out.png"},
         [](CliOptions& o) {
             o.mask = MaskChannel::alpha;
             o.settings.flipY = true;
             o.threads = 256;
         }},
        {"red mask and one thread", {"--mask=red", "--threads", "1", "in.png", "out.png"},
         [](CliOptions& o) { o.threads = 1; }},
        {"a seamless tile", {"--tile", "in.png", "out.png"}, [](CliOptions& o) { o.settings.tile = true; }},
        {"smallest files", {"--compression", "small", "in.png", "out.png"},
         [](CliOptions& o) { o.compression = PngCompression::small; }},
        {"16-bit unit normals with a height map",
         {"--encoding=unit", "--bits", "16", "--height-map", "h.png", "--height-scale=12.5", "in.png", "out.png"},
         [](CliOptions& o) {
             o.settings.encoding = NormalEncoding::unit;
             o.bits = 16;
             o.heightMapPath = "h.png";
             o.heightScale = 12.5;
         }},
        {"a batch's height maps with the filter's encoding",
         {"--encoding", "gimp", "--bits=8", "--height-dir", "h", "--out-dir", "d", "in.png"},
         [](CliOptions& o) {
             o.heightDir = "h";
             o.outDir = "d";
             o.outputPath.clear();
         }},
        {"a batch takes only inputs", {"--out-dir", "out", "a.png", "b.png", "c.png"},
         [](CliOptions& o) {
             o.outDir = "out";
             o.inputPaths = {"a.png", "b.png", "c.png"};
             o.outputPath.clear();
         }},
        {"a batch of one", {"--flip-y", "--out-dir=d", "a.png"},
         [](CliOptions& o) {
             o.settings.flipY = true;
             o.outDir = "d";
             o.inputPaths = {"a.png"};
             o.outputPath.clear();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed parsed = parse(c.arguments);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        CliOptions want;
        want.inputPaths = {"in.png"};
        want.outputPath = "out.png";
        c.change(want);
        expectSameOptions(parsed.options, want);
    }
}

TEST(Options, RefusedCommandLinesSayWhy)
{
    const struct {
        std::vector<const char*> arguments;
        const char* error;
    } cases[] = {
        {{"--bevel", "in.png", "out.png"}, "unknown option '--bevel'"},
        {{"--bevel=3", "in.png", "out.png"}, "unknown option '--bevel=3'"},
        {{"--invert=1", "in.png", "out.png"}, "--invert takes no value"},
        {{"in.png", "out.png", "--depth-round"}, "expected INPUT.png and OUTPUT.png after the options (see --help)"},
        {{"--depth-round"}, "missing value for --depth-round"},
        {{"--slope", "bumpy", "in.png", "out.png"}, "invalid value 'bumpy' for --slope"},
        {{"--slope", "256", "in.png", "out.png"}, "invalid value '256' for --slope"},
        {{"--slope=+3", "in.png", "out.png"}, "invalid value '+3' for --slope"},
        {{"--max-blur-radius", "-1", "in.png", "out.png"}, "invalid value '-1' for --max-blur-radius"},
        {{"--depth-flat", "1e39", "in.png", "out.png"}, "invalid value '1e39' for --depth-flat"},
        {{"--depth-flat", "3.4028236e38", "in.png", "out.png"}, "invalid value '3.4028236e38' for --depth-flat"},
        {{"--depth-round2=", "in.png", "out.png"}, "invalid value '' for --depth-round2"},
        {{"--specularity", "1e309", "in.png", "out.png"}, "invalid value '1e309' for --specularity"},
        {{"--specularity", "0.5x", "in.png", "out.png"}, "invalid value '0.5x' for --specularity"},
        {{"--seed", "18446744073709551616", "in.png", "out.png"},
         "invalid value '18446744073709551616' for --seed"},
        {{"--seed", "-3", "in.png", "out.png"}, "invalid value '-3' for --seed"},
        {{"--probe=", "in.png", "out.png"}, "invalid value '' for --probe"},
        {{"in.png"}, "expected INPUT.png and OUTPUT.png after the options (see --help)"},
        {{"in.png", "--invert", "out.png"}, "expected INPUT.png and OUTPUT.png after the options (see --help)"},
        {{"--mask", "green", "in.png", "out.png"}, "invalid value 'green' for --mask"},
        {{"--flip-y", "--probe", "p.png", "in.png", "out.png"},
         "--flip-y applies to normal maps; a reflection of --probe has no y convention"},
        {{"--probe=p.png", "--out-dir", "d", "--flip-y", "in.png"},
         "--flip-y applies to normal maps; a reflection of --probe has no y convention"},
        {{"--threads", "257", "in.png", "out.png"}, "invalid value '257' for --threads"},
        {{"--threads", "-1", "in.png", "out.png"}, "invalid value '-1' for --threads"},
        {{"--out-dir", "d"}, "expected INPUT.png... after the options (see --help)"},
        {{"--out-dir=", "a.png"}, "invalid value '' for --out-dir"},
        {{"--version=2", "in.png", "out.png"}, "--version takes no value"},
        {{"--compression", "9", "in.png", "out.png"}, "invalid value '9' for --compression"},
        {{"--probe", "-", "in.png", "out.png"},
         "--probe takes a file; standard input ('-') is for INPUT.png of the two-file form"},
        {{"--out-dir", "d", "a.png", "-"},
         "a batch renders files; standard input ('-') is for INPUT.png of the two-file form"},
        {{"--encoding", "dx", "in.png", "out.png"}, "invalid value 'dx' for --encoding"},
        {{"--bits", "12", "in.png", "out.png"}, "invalid value '12' for --bits"},
        {{"--height-scale", "0", "in.png", "out.png"}, "invalid value '0' for --height-scale"},
        {{"--height-scale", "inf", "in.png", "out.png"}, "invalid value 'inf' for --height-scale"},
        {{"--encoding", "unit", "--probe", "p.png", "in.png", "out.png"},
         "--encoding applies to normal maps; a reflection of --probe is a colour, not a normal"},
        {{"--bits", "16", "in.png", "out.png"}, "--bits 16 needs --encoding unit: the filter's own encoding is 8 bits"},
        {{"--height-map", "h.png", "--probe", "p.png", "in.png", "out.png"},
         "a height map goes with a normal map, not with a reflection of --probe"},
        {{"--height-scale", "3", "in.png", "out.png"}, "--height-scale needs --height-map or --height-dir"},
        {{"--height-map", "h.png", "--out-dir", "d", "in.png"},
         "--height-map names one file; a batch (--out-dir) takes --height-dir"},
        {{"--height-dir", "h", "in.png", "out.png"},
         "--height-dir is for batches (--out-dir); the two-file form takes --height-map"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << c.error;
        EXPECT_EQ(parsed.error, c.error);
    }
}

} // namespace
