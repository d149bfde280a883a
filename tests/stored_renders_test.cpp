// The command-line tool's renders of the bundled sample shape against
// digests kept here. Every other byte check compares two renderers of the
// same build (the product against the literal transcription, GIMP against
// the command-line tool), so a drift that both share, such as a new libm or
// compiler rounding atan2, cos or a square root differently, passes them
// unseen; a stored digest catches it.
//
// A digest is the SHA-256 of the output's decoded pixels, rows top to
// bottom, channels interleaved. For these RGB renders
// `convert OUT.png -depth 8 rgb:- | sha256sum` prints the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "cli/png_io.h"
#include "scratch_folder.h"
#include "sha256.h"

namespace {

struct StoredRender {
    const char* name;
    const char* options;  // PROBE stands for the test probe's path
    const char* digest;
};

const StoredRender storedRenders[] = {
    {"flat", "--slope flat",
     "de745f45d31354f107ac5614e0c4e552fe8455745d7788d2c8010b33b687336a"},
    {"flat_smoothing_9", "--slope flat --max-blur-radius 9 --depth-flat 9.5",
     "cb1990c9b5fd50368f08780f5404452422f7640b35f5f96db8296dae783965b1"},
    {"round", "--slope round",
     "09dd5ac91f4179e5b4b07e3194df9016bd44199e016a6be6a03a2c3323b9531f"},
    {"round2", "",
     "e21e65a7be4497d68313e008264b479e88c12fb28ed2cb37c5d72f12bb46a86b"},
    {"round2_inverted", "--invert",
     "0bdd881f0bb1e27dea93102bd941a29314d74b4e75c9b634abdf234a3cb9697d"},
    {"round2_exact_probe", "--probe PROBE",
     "2a85a3b140f17cc30aeb3f8baccff2f68538bc02ea3125cd96f8b5fe05145952"},
    {"round2_blurred_probe", "--probe PROBE --specularity 0.6 --seed 20131",
     "88ac59b5ebbd1ea1b361cc3920b8207f90febec711216257e7bb0448ac3193eb"},
    {"flat_blurred_probe", "--slope flat --probe PROBE --specularity 0 --seed 7",
     "5cf0dd62984f1ca0ff48aa778762a023884afcd23e2df6d55cac51e093d97698"},
};

// A probe with smooth ramps in red and green and a checkerboard in blue, so
// that every lookup and every blurred sample shows in the result.
Image testProbe()
{
    Image probe;
    probe.width = 61;
    probe.height = 47;
    probe.channels = 3;
    for (int y = 0; y < probe.height; ++y)
        for (int x = 0; x < probe.width; ++x) {
            probe.pixels.push_back(static_cast<uint8_t>(x * 255 / (probe.width - 1)));
            probe.pixels.push_back(static_cast<uint8_t>(y * 255 / (probe.height - 1)));
            probe.pixels.push_back(static_cast<uint8_t>((x / 8 + y / 8) % 2 ? 230 : 30));
        }
    return probe;
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Test names and ctest's records show a render by its name.
void PrintTo(const StoredRender& render, std::ostream* out)
{
    *out << render.name;
}

class StoredRenders : public ::testing::TestWithParam<StoredRender>, protected ScratchFolder {};

TEST_P(StoredRenders, MatchTheirDigests)
{
    const StoredRender& render = GetParam();
    const std::string probe = path("probe.png");
    std::string error;
    ASSERT_TRUE(writePng(probe, testProbe(), error)) << error;

    const std::string output = path("out.png");
    const std::string command = std::string(ORMOLO_CLI) + " " + replaced(render.options, "PROBE", probe) +
                                " " + ORMOLO_SAMPLES "/shape.png " + output;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    Image image;
    ASSERT_TRUE(readPng(output, image, error)) << error;

    EXPECT_EQ(sha256Hex(image.pixels.data(), image.pixels.size()), render.digest)
        << "the render '" << render.name << "' of samples/shape.png drifted from its stored digest: "
        << "this toolchain or processor computes other bytes for\n  " << command;
}

INSTANTIATE_TEST_SUITE_P(SampleShape, StoredRenders, ::testing::ValuesIn(storedRenders),
                         [](const ::testing::TestParamInfo<StoredRender>& info) { return info.param.name; });

} // namespace
