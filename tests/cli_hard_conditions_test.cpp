// The command-line tool under hostile input and hard conditions: files that
// end early, names that would take over the terminal, runs that share an
// output, links planted beside it, and no thread to be had.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "cli/png_io.h"
#include "cli_fixture.h"
#include "png_chunks.h"
#include "render/render.h"
#include "test_images.h"

namespace fs = std::filesystem;

namespace {

// `text` as one word for the shell, whatever bytes it holds.
std::string shellWord(const std::string& text)
{
    std::string word = "'";
    for (char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

// Filtered rows (filter byte 0, then the pixels) of an RGB image whose
// pixels are `width` wide, for the given rows.
std::vector<uint8_t> filteredRows(int width, int rows)
{
    std::vector<uint8_t> data;
    for (int y = 0; y < rows; ++y) {
        data.push_back(0);
        for (int x = 0; x < width * 3; ++x)
            data.push_back(static_cast<uint8_t>((x + y) % 3 ? 255 : 0));
    }
    return data;
}

// The filtered image data of the first `passes` Adam7 passes of an RGB image.
std::vector<uint8_t> interlacedPasses(int width, int height, int passes)
{
    const struct { int x0, y0, dx, dy; } adam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<uint8_t> data;
    for (int pass = 0; pass < passes; ++pass) {
        const auto& p = adam7[pass];
        const int columns = (width - p.x0 + p.dx - 1) / p.dx;
        if (columns <= 0)
            continue;
        for (int y = p.y0; y < height; y += p.dy) {
            const std::vector<uint8_t> row = filteredRows(columns, 1);
            data.insert(data.end(), row.begin(), row.end());
        }
    }
    return data;
}

// Exactly one line on stderr, with no byte that a terminal would act on.
void expectOneCleanLine(const std::string& errors)
{
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.rfind("ormolo2: ", 0), 0u) << errors;
    EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    for (size_t i = 0; i + 1 < errors.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(errors[i]);
        EXPECT_TRUE(byte >= 0x20 && byte != 0x7f) << "raw byte " << int(byte) << " at " << i;
        if (byte == 0xc2 && i + 2 < errors.size()) {
            EXPECT_FALSE(static_cast<unsigned char>(errors[i + 1]) < 0xa0) << "raw C1 control at " << i;
        }
    }
}

TEST_F(Cli, ImageDataThatEndsEarlyIsRefused)
{
    const std::vector<uint8_t> thirteenRows = deflated(filteredRows(24, 13));
    const auto middle = thirteenRows.begin() + static_cast<long>(thirteenRows.size() / 2);
    std::vector<uint8_t> partOfRow13 = filteredRows(24, 13);
    partOfRow13.resize(partOfRow13.size() - 20);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        const char* says;
    } cases[] = {
        {"stream ends cleanly after 13 of 16 rows", rgbPngFile(24, 16, false, {thirteenRows}),
         "after 13 of 16 rows"},
        {"the same over two chunks",
         rgbPngFile(24, 16, false, {std::vector<uint8_t>(thirteenRows.begin(), middle),
                                    std::vector<uint8_t>(middle, thirteenRows.end())}),
         "after 13 of 16 rows"},
        {"stream ends within row 13", rgbPngFile(24, 16, false, {deflated(partOfRow13)}), "after 12 of 16 rows"},
        {"interlaced, seventh pass missing", rgbPngFile(24, 16, true, {deflated(interlacedPasses(24, 16, 6))}),
         "after 22 of 30 interlaced rows"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        saveBytes(path("short.png"), c.file);
        EXPECT_EQ(run(path("short.png") + " " + path("out.png")), 1);
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists(path("out.png")));
    }
    // The whole image reads.
    saveBytes(path("whole.png"), rgbPngFile(24, 16, false, {deflated(filteredRows(24, 16))}));
    EXPECT_EQ(run(path("whole.png") + " " + path("out.png")), 0) << errors;
}

TEST_F(Cli, NamesInMessagesKeepTheirControlCharactersEscaped)
{
    const struct {
        const char* name;
        std::string part;
        const char* shown;
    } cases[] = {
        {"newline", "a\nb", "a\\nb"},
        {"escape sequence", "\x1b[2J\x1b[31mred", "\\x1b[2J\\x1b[31mred"},
        {"tab and carriage return", "a\tb\rc", "a\\tb\\rc"},
        {"delete", "a\x7f", "a\\x7f"},
        {"C1 control in UTF-8", "a\xc2\x9b" "31m", "a\\xc2\\x9b31m"},
        {"byte that is not UTF-8", "a\xff", "a\\xff"},
        {"overlong UTF-8", "a\xc0\x8a", "a\\xc0\\x8a"},
        {"quote and backslash", "it's\\", "it\\'s\\\\"},
        {"accented letters stay", "caf\xc3\xa9", "caf\xc3\xa9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(shellWord(path("missing-" + c.part + ".png")) + " " + path("out.png")), 1);
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find("missing-" + std::string(c.shown) + ".png'"), std::string::npos) << errors;
        EXPECT_EQ(run("--slope " + shellWord(c.part) + " in.png out.png"), 1);
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find("'" + std::string(c.shown) + "'"), std::string::npos) << errors;
    }
}

// Large noisy images, so that the runs spend their time writing.
std::vector<Image> noisyImages(int count, int size)
{
    std::mt19937 rng(77);
    std::vector<Image> images;
    for (int i = 0; i < count; ++i) {
        Image image{size, size, 3, maskImage(randomMask(rng, size, size), 3)};
        for (size_t at = 1; at < image.pixels.size(); at += 3)
            image.pixels[at] = static_cast<uint8_t>(rng());
        images.push_back(image);
    }
    return images;
}

// The files of `dir` but the tool's captured stdout and stderr.
std::set<std::string> namesIn(const fs::path& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    names.erase("stdout.txt");
    names.erase("stderr.txt");
    return names;
}

TEST_F(Cli, RunsIntoOneOutputLeaveOneWholeRender)
{
    const int runs = 4, size = 600;
    const std::vector<Image> inputs = noisyImages(runs, size);
    std::vector<std::vector<uint8_t>> renders;
    std::string error;
    std::string command = "pids=''; for i in";
    for (int i = 0; i < runs; ++i) {
        ASSERT_TRUE(writePng(path("in" + std::to_string(i) + ".png"), inputs[i], error)) << error;
        Image render = inputs[i];
        renderRegion(render.view(), render.view(),
                     []{ RenderSettings settings; settings.profile = SlopeProfile::flat; return settings; }(), {});
        renders.push_back(render.pixels);
        command += " " + std::to_string(i);
    }
    command += "; do " + std::string(ORMOLO_CLI) + " --slope flat " + path("in") + "$i.png " + path("shared.png") +
               " & pids=\"$pids $!\"; done; for p in $pids; do wait $p; echo $?; done";
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove(path("shared.png"));
        const std::set<std::string> before = namesIn(dir_);
        ASSERT_EQ(runCommand(command), 0);
        std::istringstream statuses(output);
        std::string status;
        int finished = 0;
        while (statuses >> status) {
            EXPECT_EQ(status, "0") << errors;
            ++finished;
        }
        EXPECT_EQ(finished, runs);
        Image shared;
        ASSERT_TRUE(readPng(path("shared.png"), shared, error)) << error;
        EXPECT_NE(std::find(renders.begin(), renders.end(), shared.pixels), renders.end())
            << "the output is none of the renders";
        std::set<std::string> after = namesIn(dir_);
        after.erase("shared.png");
        EXPECT_EQ(after, before) << "only the output is new";
    }
}

TEST_F(Cli, ALinkPlantedBesideTheOutputRedirectsNothing)
{
    Image image{20, 12, 3, maskImage(std::vector<uint8_t>(240, 255), 3)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error));
    std::ofstream(path("victim.txt")) << "precious";
    for (const char* name : {"out.png.ormolo2-partial", "out.png.tmp", "out.png~"})
        fs::create_symlink(path("victim.txt"), path(name));
    const std::set<std::string> before = namesIn(dir_);
    ASSERT_EQ(run(path("in.png") + " " + path("out.png")), 0) << errors;
    EXPECT_EQ(fileContent(path("victim.txt")), "precious");
    std::set<std::string> after = namesIn(dir_);
    after.erase("out.png");
    EXPECT_EQ(after, before);
    Image written;
    EXPECT_TRUE(readPng(path("out.png"), written, error)) << error;
}

TEST_F(Cli, OutputNamesUpToTheFolderLimitAreWritten)
{
    // 255 bytes is the longest file name of Linux file systems; the file
    // that the output is written through would not take the output's name
    // plus a suffix from 241 bytes on.
    Image image{20, 12, 3, maskImage(std::vector<uint8_t>(240, 255), 3)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error));
    ASSERT_EQ(run(path("in.png") + " " + path("short.png")), 0) << errors;
    Image expected;
    ASSERT_TRUE(readPng(path("short.png"), expected, error)) << error;
    for (size_t length : {240, 241, 254, 255}) {
        SCOPED_TRACE(length);
        const std::string name = std::string(length - 4, 'n') + ".png";
        const std::set<std::string> before = namesIn(dir_);
        ASSERT_EQ(run(path("in.png") + " " + path(name)), 0) << errors;
        Image written;
        ASSERT_TRUE(readPng(path(name), written, error)) << error;
        EXPECT_EQ(written.pixels, expected.pixels);
        std::set<std::string> after = namesIn(dir_);
        after.erase(name);
        EXPECT_EQ(after, before) << "only the output is new";
        fs::remove(path(name));
    }
    const std::set<std::string> before = namesIn(dir_);
    EXPECT_EQ(run(path("in.png") + " " + path(std::string(252, 'n') + ".png")), 1);
    expectOneCleanLine(errors);
    EXPECT_NE(errors.find("File name too long"), std::string::npos) << errors;
    EXPECT_EQ(namesIn(dir_), before);
}

TEST_F(Cli, OutputHasThePermissionsOfANewFile)
{
    Image image{5, 5, 3, std::vector<uint8_t>(75, 255)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error));
    for (mode_t mask : {mode_t{022}, mode_t{027}, mode_t{077}, mode_t{002}}) {
        const mode_t saved = umask(mask);
        const int status = run(path("in.png") + " " + path("out.png"));
        umask(saved);
        ASSERT_EQ(status, 0) << errors;
        struct stat written;
        ASSERT_EQ(stat(path("out.png").c_str(), &written), 0);
        EXPECT_EQ(written.st_mode & 0777, 0666 & ~mask) << "umask " << std::oct << mask;
    }
}

TEST_F(Cli, RendersWhenNoThreadCanStart)
{
    // A process limit of one binds only an unprivileged user: as root the
    // tool runs as nobody, from a copy in this test's folder, as the build
    // tree may lie where nobody cannot enter (under /root). The leak check of
    // a sanitizer build would need a thread of its own at exit.
    std::string limited = "prlimit --nproc=1:1 env ASAN_OPTIONS=detect_leaks=0 ";
    std::string tool = ORMOLO_CLI;
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        limited = "setpriv --reuid=nobody --regid=nogroup --clear-groups " + limited;
        tool = path("ormolo2");
        fs::copy_file(ORMOLO_CLI, tool);
        fs::permissions(tool, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
    fs::permissions(dir_, fs::perms::all);
    if (runCommand(limited + tool + " --help") != 0) {
        // As root the test makes every condition itself, so the tool has to run.
        if (asRoot)
            FAIL() << "cannot run the tool as nobody under a process limit; nobody must be able to enter "
                   << dir_ << " and every folder above it: " << errors;
        GTEST_SKIP() << "cannot run the tool under a process limit here: " << errors;
    }
    std::mt19937 rng(5);
    Image image{300, 200, 4, maskImage(randomMask(rng, 300, 200), 4)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error));
    ASSERT_EQ(runCommand(limited + tool + " " + path("in.png") + " " + path("out.png")), 0) << errors;
    Image written;
    ASSERT_TRUE(readPng(path("out.png"), written, error)) << error;
    renderRegion(image.view(), image.view(), RenderSettings{}, {});
    EXPECT_EQ(written.pixels, image.pixels);
}

} // namespace
