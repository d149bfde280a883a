#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/png_io.h"
#include "cli/render_image.h"
#include "cli_fixture.h"
#include "png_chunks.h"
#include "render/normals/lane_set.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "test_images.h"

namespace fs = std::filesystem;

namespace {

TEST_F(Cli, RendersWhatTheCoreRendersWithTheGivenSettings)
{
    std::mt19937 rng(8);
    Image image{40, 30, 4, maskImage(randomMask(rng, 40, 30), 4)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error)) << error;
    const struct { const char* options; int32_t slope; bool invert; float depth; } cases[] = {
        {"", SLOPE_ROUND2, false, 20.0f},
        {"--slope flat --max-blur-radius 5 --depth-flat 10.3", SLOPE_FLAT, false, 10.3f},
        {"--invert --slope=round --depth-round 0.1", SLOPE_ROUND, true, 0.1f},
        {"--slope 0", 0, false, 7.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        ASSERT_EQ(run(std::string(c.options) + " " + path("in.png") + " " + path("out.png")), 0) << errors;
        OrmoloVals vals = ormoloDefaults;
        vals.slopeType = c.slope;
        vals.invertInput = c.invert;
        vals.maxNormalMapBlurRadius = c.slope == SLOPE_FLAT ? 5 : 3;
        if (c.slope == SLOPE_FLAT)
            vals.slopeDepthFlat = c.depth;
        if (c.slope == SLOPE_ROUND || c.slope == 0)
            vals.slopeDepthRound = c.depth;
        Image expected = image;
        renderRegion(expected.view(), expected.view(), productSettings(vals), {});
        Image written;
        ASSERT_TRUE(readPng(path("out.png"), written, error)) << error;
        EXPECT_EQ(written.channels, 4);
        EXPECT_EQ(written.pixels, expected.pixels);
    }
}

TEST_F(Cli, GreyMasksExpandToRgbAndGreyAlphaToRgba)
{
    const uint8_t grey[] = {0, 255, 255, 0, 255, 255, 255, 0, 0, 0, 0, 0};
    writeRaw("grey.png", 4, 3, PNG_FORMAT_GRAY, grey);
    const uint8_t greyAlpha[] = {0, 9, 255, 10, 255, 11, 0, 12};
    writeRaw("grey-alpha.png", 2, 2, PNG_FORMAT_GA, greyAlpha);
    Image image;
    std::string error;
    ASSERT_TRUE(readPng(path("grey.png"), image, error)) << error;
    EXPECT_EQ(image.channels, 3);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 6),
              (std::vector<uint8_t>{0, 0, 0, 255, 255, 255}));
    ASSERT_TRUE(readPng(path("grey-alpha.png"), image, error)) << error;
    EXPECT_EQ(image.channels, 4);
    EXPECT_EQ(std::vector<uint8_t>(image.pixels.begin(), image.pixels.begin() + 8),
              (std::vector<uint8_t>{0, 0, 0, 9, 255, 255, 255, 10}));
    EXPECT_EQ(run(path("grey.png") + " " + path("out.png")), 0) << errors;
}

// A PNG whose header claims a huge RGB image but which holds no pixel data.
void writeForgedHeader(const std::string& file, uint32_t width, uint32_t height)
{
    saveBytes(file, rgbPngFile(width, height, false, {}));
}

TEST_F(Cli, BadInputFailsWithOneLineAndNoOutputFile)
{
    const uint16_t deep[] = {0, 65535, 65535, 0};
    writeRaw("deep.png", 2, 2, PNG_FORMAT_LINEAR_Y, deep);
    writeForgedHeader(path("forged.png"), 60000, 60000);
    std::ofstream(path("text.png")) << "not a picture at all";
    Image image{3, 3, 3, std::vector<uint8_t>(27, 255)};
    std::string error;
    ASSERT_TRUE(writePng(path("ok.png"), image, error));
    const std::string out = path("out.png");
    const struct { const char* name; std::string arguments; } cases[] = {
        {"missing file", path("missing.png") + " " + out},
        {"not a PNG", path("text.png") + " " + out},
        {"alpha mask of a 16-bit grey file, which has no alpha", "--mask alpha " + path("deep.png") + " " + out},
        {"header claiming more pixels than the file holds", path("forged.png") + " " + out},
        {"blur radius beyond a byte", "--max-blur-radius 256 " + path("ok.png") + " " + out},
        {"negative blur radius", "--max-blur-radius -1 " + path("ok.png") + " " + out},
        {"slope beyond a byte", "--slope 300 " + path("ok.png") + " " + out},
        {"unknown slope name", "--slope bumpy " + path("ok.png") + " " + out},
        {"depth beyond float", "--depth-flat 1e39 " + path("ok.png") + " " + out},
        {"depth not a number", "--depth-round2 deep " + path("ok.png") + " " + out},
        {"missing value", path("ok.png") + " " + out + " --depth-round"},
        {"unknown option", "--bevel " + path("ok.png") + " " + out},
        {"one file only", path("ok.png")},
        {"unwritable output", path("ok.png") + " " + path("no/such/dir/out.png")},
        {"flip of a reflection", "--flip-y --probe " + path("ok.png") + " " + path("ok.png") + " " + out},
        {"batch into a missing directory", "--out-dir " + path("no-dir") + " " + path("ok.png")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(run(c.arguments), 0);
        EXPECT_EQ(errors.rfind("ormolo2: ", 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 6)
        << "no partial files left behind";
}

TEST_F(Cli, ReflectsAProbeReproduciblyFromASeed)
{
    std::mt19937 rng(15);
    Image mask{36, 28, 3, maskImage(randomMask(rng, 36, 28), 3)};
    Image probe{9, 7, 4, std::vector<uint8_t>(9 * 7 * 4)};
    for (size_t i = 0; i < probe.pixels.size(); ++i)
        probe.pixels[i] = static_cast<uint8_t>(i * 37);
    std::string error;
    ASSERT_TRUE(writePng(path("mask.png"), mask, error));
    ASSERT_TRUE(writePng(path("probe.png"), probe, error));
    const std::string probeArgs = "--probe " + path("probe.png") + " --specularity 0.25 --seed 777 ";
    ASSERT_EQ(run(probeArgs + path("mask.png") + " " + path("a.png")), 0) << errors;
    ASSERT_EQ(run(probeArgs + path("mask.png") + " " + path("b.png")), 0) << errors;
    Image a, b;
    ASSERT_TRUE(readPng(path("a.png"), a, error));
    ASSERT_TRUE(readPng(path("b.png"), b, error));
    EXPECT_EQ(a.pixels, b.pixels);

    ProbeImage inMemory{9, 7, true, probe.pixels};
    OrmoloVals vals = ormoloDefaults;
    vals.specularity = 0.25;
    setRandomStreamPosition(777);
    renderRegion(mask.view(), mask.view(), productSettings(vals, &inMemory), {});
    EXPECT_EQ(a.pixels, mask.pixels);

    EXPECT_NE(run("--probe " + path("nothing.png") + " " + path("mask.png") + " " + path("c.png")), 0);
    EXPECT_NE(run("--specularity shiny " + path("mask.png") + " " + path("c.png")), 0);
    EXPECT_NE(run("--seed -3 " + path("mask.png") + " " + path("c.png")), 0);
    EXPECT_FALSE(fs::exists(path("c.png")));
}

TEST_F(Cli, TakesEveryNumberAScriptCouldPass)
{
    Image image{3, 3, 3, std::vector<uint8_t>(27, 255)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error));
    for (const char* options : {"--depth-flat 1e-320", "--depth-round 3.40282356e38", "--depth-round2 -inf",
                                "--specularity 1e-320", "--specularity nan", "--depth-flat=-0"}) {
        EXPECT_EQ(run(std::string(options) + " " + path("in.png") + " " + path("out.png")), 0)
            << options << ": " << errors;
    }
}

TEST_F(Cli, HelpDescribesEveryOption)
{
    ASSERT_EQ(run("--help"), 0);
    for (const char* option : {"--invert", "--slope", "--max-blur-radius", "--depth-flat", "--depth-round",
                               "--depth-round2", "--probe", "--specularity", "--seed", "INPUT.png OUTPUT.png",
                               "--mask", "--flip-y", "--out-dir DIR INPUT.png...", "--threads", "--version"})
        EXPECT_NE(output.find(option), std::string::npos) << option;
}

// ORMOLO_LANES pins the normal stages' instruction set for the process: the
// bytes stay the same, and a value that cannot be honoured is reported once,
// however many rows and threads ask for the set.
TEST_F(Cli, LaneSetFromTheEnvironment)
{
    std::mt19937 rng(31);
    const Image image{48, 40, 3, maskImage(randomMask(rng, 48, 40), 3)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error)) << error;
    const struct { const char* value; bool refused; } cases[] = {
        {"", false},
        {"portable", false},
        {"avx2", !laneSetRuns(LaneSet::Avx2)},
        {"avx512", !laneSetRuns(LaneSet::Avx512)},
        {"fastest", true},
    };
    for (const char* slope : {"round2", "flat --max-blur-radius 9"}) {
        const std::string arguments = std::string("--slope ") + slope + " " + path("in.png") + " ";
        ASSERT_EQ(run(arguments + path("default.png")), 0) << errors;
        Image expected;
        ASSERT_TRUE(readPng(path("default.png"), expected, error)) << error;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(slope) + ", ORMOLO_LANES=" + c.value);
            setenv("ORMOLO_LANES", c.value, 1);
            const int status = run(arguments + path("pinned.png"));
            unsetenv("ORMOLO_LANES");
            ASSERT_EQ(status, 0) << errors;
            const auto reports = std::count(errors.begin(), errors.end(), '\n');
            EXPECT_EQ(reports, c.refused ? 1 : 0) << errors;
            EXPECT_EQ(errors.find("ORMOLO_LANES=") != std::string::npos, c.refused) << errors;
            Image pinned;
            ASSERT_TRUE(readPng(path("pinned.png"), pinned, error)) << error;
            EXPECT_EQ(pinned.pixels, expected.pixels);
        }
    }
}

// A refused ORMOLO_LANES is told once, at the start, as one line whatever
// bytes the value holds, and also for a render that never reaches the
// normal stages (a shape without an edge is level everywhere).
TEST_F(Cli, RefusedLaneSetIsOneEscapedLine)
{
    std::mt19937 rng(32);
    const Image shape{24, 20, 3, maskImage(randomMask(rng, 24, 20), 3)};
    const Image level{9, 7, 3, std::vector<uint8_t>(9 * 7 * 3, 255)};
    const std::string widest = laneSetName(chooseLaneSet(nullptr, laneSetRuns).set);
    const std::string notASet = " is not one of portable, avx2, avx512; using " + widest + "\n";
    const struct { const char* value; std::string line; } cases[] = {
        {"fastest", "ormolo2: ORMOLO_LANES='fastest'" + notASet},
        {"avx2\nok", "ormolo2: ORMOLO_LANES='avx2\\nok'" + notASet},
        {"\x1b[2J\x1b[31m", "ormolo2: ORMOLO_LANES='\\x1b[2J\\x1b[31m'" + notASet},
        {"it's", "ormolo2: ORMOLO_LANES='it\\'s'" + notASet},
    };
    std::string error;
    for (const Image* image : {&shape, &level}) {
        ASSERT_TRUE(writePng(path("in.png"), *image, error)) << error;
        for (const auto& c : cases) {
            SCOPED_TRACE(c.line);
            setenv("ORMOLO_LANES", c.value, 1);
            const int status = run(path("in.png") + " " + path("out.png"));
            unsetenv("ORMOLO_LANES");
            EXPECT_EQ(status, 0);
            EXPECT_EQ(errors, c.line);
        }
    }
}

TEST_F(Cli, VersionNamesTheTool)
{
    ASSERT_EQ(run("--version"), 0) << errors;
    EXPECT_EQ(output, "ormolo2 2.0\n");
}

TEST_F(Cli, SixteenBitFileRendersAsItsNearestBytes)
{
    std::mt19937 rng(21);
    const std::vector<uint8_t> bytes = maskImage(randomMask(rng, 30, 26), 4);
    // Each byte b as a 16-bit sample anywhere in 257 b - 128 .. 257 b + 128.
    std::vector<uint16_t> deep;
    for (uint8_t byte : bytes)
        deep.push_back(static_cast<uint16_t>(std::clamp(257 * byte + static_cast<int>(rng() % 257) - 128, 0, 65535)));
    saveSamplesPng(path("deep.png"), 30, 26, pngRgba, 16, deep, {gammaChunk(45455)});
    std::string error;
    ASSERT_TRUE(writePng(path("shallow.png"), Image{30, 26, 4, bytes}, error)) << error;
    ASSERT_EQ(run(path("deep.png") + " " + path("deep-out.png")), 0) << errors;
    ASSERT_EQ(run(path("shallow.png") + " " + path("shallow-out.png")), 0) << errors;
    Image fromDeep, fromShallow;
    ASSERT_TRUE(readPng(path("deep-out.png"), fromDeep, error));
    ASSERT_TRUE(readPng(path("shallow-out.png"), fromShallow, error));
    EXPECT_EQ(fromDeep.pixels, fromShallow.pixels);
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The text of the file's tEXt chunk with this keyword, or "" when it has
// none; and its depth and colour type.
struct PngHeader {
    int bitDepth = 0;
    int colorType = -1;
    std::string text;
};

PngHeader readPngHeader(const std::string& file, const char* keyword)
{
    PngHeader header;
    FILE* in = std::fopen(file.c_str(), "rb");
    if (!in)
        return header;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (!setjmp(png_jmpbuf(png))) {
        png_init_io(png, in);
        png_read_info(png, info);
        header.bitDepth = png_get_bit_depth(png, info);
        header.colorType = png_get_color_type(png, info);
        png_textp texts = nullptr;
        const int count = png_get_text(png, info, &texts, nullptr);
        for (int i = 0; i < count; ++i)
            if (std::string(texts[i].key) == keyword)
                header.text = texts[i].text;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(in);
    return header;
}

TEST_F(Cli, BatchRendersEachFileAsTheTwoFileFormAndGoesOnPastFailures)
{
    std::mt19937 rng(4);
    std::string error;
    fs::create_directories(dir_ / "in");
    fs::create_directories(dir_ / "out");
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        const Image image{33, 27, 4, maskImage(randomMask(rng, 33, 27), 4)};
        ASSERT_TRUE(writePng(path("in/") + name, image, error)) << error;
    }
    std::ofstream(path("in/broken.png")) << "not a picture";
    std::ofstream(path("out/broken.png")) << "an older output";
    fs::create_directories(dir_ / "heights");
    const std::string options = "--mask alpha --flip-y --slope flat --encoding unit --bits 16 ";
    const int status = run(options + "--out-dir " + path("out") + " --height-dir " + path("heights") + " " +
                           path("in/a.png") + " " + path("in/broken.png") + " " + path("in/b.png") + " " +
                           path("in/c.png"));
    EXPECT_EQ(status, 1);
    ASSERT_EQ(linesOf(errors).size(), 1u) << errors;
    EXPECT_NE(errors.find("broken.png"), std::string::npos) << errors;
    const std::vector<std::string> summary = linesOf(output);
    ASSERT_FALSE(summary.empty());
    EXPECT_EQ(summary.back(), "ormolo2: 3 rendered, 1 failed");
    EXPECT_EQ(fileContent(path("out/broken.png")), "an older output");
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(run(options + "--height-map " + path("height.png") + " " + path("in/") + name + " " +
                      path("single.png")),
                  0)
            << errors;
        EXPECT_EQ(fileContent(path("out/") + name), fileContent(path("single.png")));
        EXPECT_EQ(fileContent(path("heights/") + name), fileContent(path("height.png")));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), fs::directory_iterator()), 4)
        << "no partial files left behind";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "heights"), fs::directory_iterator()), 3);

    // The height map records its scale so that every height reads back
    // within one step; the normal map has 16 bits.
    CliOptions cOptions;
    std::string parseError;
    const char* arguments[] = {"ormolo2", "--mask", "alpha", "--slope", "flat", "in.png", "out.png"};
    ASSERT_TRUE(parseOptions(7, arguments, cOptions, parseError)) << parseError;
    cOptions.heightMapPath = "h.png";
    Image c;
    ASSERT_TRUE(readPng(path("in/c.png"), c, error)) << error;
    RenderedExtras extras;
    ASSERT_TRUE(renderImage(c, cOptions, {}, extras));
    const PngHeader heightFile = readPngHeader(path("heights/c.png"), "Ormolo2-Height-Scale");
    EXPECT_EQ(heightFile.bitDepth, 16);
    EXPECT_EQ(heightFile.colorType, PNG_COLOR_TYPE_GRAY);
    EXPECT_NEAR(std::stod(heightFile.text), extras.heightScale, extras.heightScale * 1e-8) << heightFile.text;
    EXPECT_EQ(readPngHeader(path("out/c.png"), "").bitDepth, 16);

    ASSERT_EQ(run("--out-dir " + path("out") + " " + path("in/a.png")), 0) << errors;
    EXPECT_EQ(linesOf(output).back(), "ormolo2: 1 rendered, 0 failed");
}

TEST_F(Cli, BatchThatWouldOverwriteAnInputWritesNothing)
{
    std::string error;
    fs::create_directories(dir_ / "a");
    fs::create_directories(dir_ / "b");
    fs::create_directories(dir_ / "c");
    const Image image{9, 9, 3, std::vector<uint8_t>(243, 255)};
    for (const char* name : {"a/x.png", "a/y.png", "b/y.png"})
        ASSERT_TRUE(writePng(path(name), image, error)) << error;
    fs::create_symlink(dir_ / "a", dir_ / "link");
    fs::create_hard_link(dir_ / "a" / "x.png", dir_ / "b" / "x.png");
    const auto before = [&] {
        std::vector<std::string> state;
        for (const auto& entry : fs::recursive_directory_iterator(dir_))
            if (entry.path().extension() == ".png")
                state.push_back(entry.path().string() + ":" + fileContent(entry.path()));
        std::sort(state.begin(), state.end());
        return state;
    };
    const std::vector<std::string> files = before();
    const struct { const char* name; std::string arguments; } cases[] = {
        {"output directory is the inputs' own", "--out-dir " + path("a") + " " + path("a/x.png")},
        {"same directory by another spelling", "--out-dir " + path("a/../a/.") + " " + path("b/y.png") + " " + path("a/y.png")},
        {"same directory through a symbolic link", "--out-dir " + path("link") + " " + path("a/x.png")},
        {"the output is a hard link of an input", "--out-dir " + path("b") + " " + path("a/y.png") + " " + path("a/x.png")},
        {"the output is the probe", "--probe " + path("a/y.png") + " --out-dir " + path("a") + " " + path("b/y.png")},
        {"two inputs of one file name", "--out-dir " + path("b") + " " + path("a/y.png") + " " + path("link/y.png")},
        {"height maps into the normal maps' directory",
         "--out-dir " + path("c") + " --height-dir " + path("link") + "/../c " + path("a/x.png")},
        {"a height map over an input", "--out-dir " + path("c") + " --height-dir " + path("b") + " " + path("a/x.png")},
        {"the height map is the output", "--height-map " + path("c/o.png") + " " + path("a/x.png") + " " + path("c/o.png")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.arguments), 1);
        EXPECT_EQ(linesOf(errors).size(), 1u) << errors;
        EXPECT_EQ(before(), files);
    }
}


} // namespace
