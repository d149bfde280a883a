// The command-line tool under hostile input and hard conditions: files that
// end early, names that would take over the terminal, runs that share an
// output, links planted beside it, and no thread to be had; pipes, FIFOs and
// the standard streams, signals in the middle of a run, and images or chunks
// larger than memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
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
std::vector<Image> noisyImages(int count, int width, int height)
{
    std::mt19937 rng(77);
    std::vector<Image> images;
    for (int i = 0; i < count; ++i) {
        Image image{width, height, 3, maskImage(randomMask(rng, width, height), 3)};
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
    const std::vector<Image> inputs = noisyImages(runs, size, size);
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


// Standard streams and special files.

TEST_F(Cli, PipesFifosAndStandardStreamsGiveTheBytesOfFilesOnDisk)
{
    // 300 x 200 pixels of noise: a file of some 180 KB, more than a pipe
    // holds at once.
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), noisyImages(1, 300, 200)[0], error)) << error;
    ASSERT_EQ(run(path("in.png") + " " + path("disk.png")), 0) << errors;
    const std::string onDisk = fileContent(path("disk.png"));
    ASSERT_GT(onDisk.size(), 65536u);
    const struct { const char* name; const char* command; const char* output; } cases[] = {
        {"'-' in and out through pipes", "cat \"$IN\" | \"$TOOL\" - - | cat > out.png", "out.png"},
        {"/dev/stdin and a link to /dev/stdout through pipes", "cat \"$IN\" | \"$TOOL\" /dev/stdin stdout | cat > out.png",
         "out.png"},
        {"'-' in and out redirected to files", "\"$TOOL\" - - < \"$IN\" > out.png", "out.png"},
        {"a link to /dev/stdout redirected to a file", "\"$TOOL\" \"$IN\" stdout > out.png", "out.png"},
        {"process substitution", "\"$TOOL\" <(cat \"$IN\") out.png", "out.png"},
        {"a FIFO in and a FIFO out, each with a process at its other end",
         "timeout 60 cat \"$IN\" > in.fifo & timeout 60 cat out.fifo > out.png & \"$TOOL\" in.fifo out.fifo && wait",
         "out.png"},
        {"a FIFO in a batch", "timeout 60 cat \"$IN\" > in.fifo & \"$TOOL\" --out-dir batch in.fifo && wait",
         "batch/in.fifo"},
    };
    fs::create_directories(dir_ / "batch");
    // Outputs in /dev are named through links of this folder, so that a tool
    // that replaced its output would replace the link, not the node.
    fs::create_symlink("/dev/stdout", dir_ / "stdout");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* fifo : {"in.fifo", "out.fifo"})
            ASSERT_EQ(mkfifo(path(fifo).c_str(), 0600), 0);
        std::ofstream(path("pipeline.sh")) << "set -o pipefail\ncd " << shellWord(dir_.string()) << "\nTOOL="
                                           << shellWord(ORMOLO_CLI) << "\nIN=" << shellWord(path("in.png"))
                                           << "\n" << c.command << "\n";
        ASSERT_EQ(runCommand("bash " + path("pipeline.sh")), 0) << errors;
        EXPECT_TRUE(fileContent(path(c.output)) == onDisk) << "the bytes differ from the file written on disk";
        for (const char* fifo : {"in.fifo", "out.fifo"}) {
            EXPECT_TRUE(fs::is_fifo(path(fifo))) << fifo << " is no longer a FIFO";
            fs::remove(path(fifo));
        }
        fs::remove(path(c.output));
    }
}

TEST_F(Cli, FailedWritesToStandardOutputAndDevicesAreErrors)
{
    const Image image{9, 9, 3, std::vector<uint8_t>(243, 255)};
    std::string error;
    ASSERT_TRUE(writePng(path("in.png"), image, error)) << error;
    fs::create_directories(dir_ / "out");
    // Through links of this folder, as above.
    fs::create_symlink("/dev/stdout", dir_ / "stdout");
    fs::create_symlink("/dev/full", dir_ / "full");
    const std::string in = path("in.png");
    for (const std::string& arguments : std::vector<std::string>{
             "--help", "--version", "--out-dir " + path("out") + " " + in, in + " -", in + " " + path("stdout"),
             in + " " + path("full")}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(runCommand("(" + std::string(ORMOLO_CLI) + " " + arguments + " > /dev/full)"), 1);
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find("No space left on device"), std::string::npos) << errors;
    }
    Image written;
    EXPECT_TRUE(readPng(path("out/in.png"), written, error)) << "the batch's own outputs are whole: " << error;
}

// Opens the FIFO `fifo` for writing as soon as `tool` has opened it for
// reading; -1 when the tool ends first or a minute goes by.
int openOnceRead(const std::string& fifo, pid_t tool)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        const int descriptor = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (descriptor >= 0) {
            fcntl(descriptor, F_SETFL, 0);
            return descriptor;
        }
        siginfo_t ended{};
        if (errno != ENXIO || waitid(P_PID, tool, &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0)
            return -1;
        usleep(1000);
    }
    return -1;
}

// Waits until the temporary file of the output `name` exists in `folder`;
// false when `tool` ends first or a minute goes by.
bool awaitTemporaryFile(const fs::path& folder, const std::string& name, pid_t tool)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().rfind(name + ".ormolo2-", 0) == 0)
                return true;
        siginfo_t ended{};
        if (waitid(P_PID, tool, &ended, WEXITED | WNOHANG | WNOWAIT) != 0 || ended.si_pid != 0)
            return false;
        usleep(1000);
    }
    return false;
}

// Signals.

// The tool reads its input from a FIFO whose writer is the test, so it is
// caught with its temporary file open for as long as the test likes: the
// signal comes once that file exists, never at a moment hoped for.
TEST_F(Cli, SignalsLeaveNoTemporaryFileAndEndWithTheirStatus)
{
    std::string error;
    const Image image = noisyImages(1, 300, 200)[0];
    ASSERT_TRUE(writePng(path("whole.png"), image, error)) << error;
    const std::string start = fileContent(path("whole.png")).substr(0, 5000);
    fs::create_directories(dir_ / "in");
    fs::create_directories(dir_ / "out");
    ASSERT_TRUE(writePng(path("in/a.png"), image, error)) << error;
    enum Form { twoFiles, withHeightMap, batch };
    const struct { int number; int shellStatus; Form form; } cases[] = {
        {SIGINT, 130, twoFiles}, {SIGTERM, 143, twoFiles},      {SIGHUP, 129, twoFiles},
        {SIGINT, 130, batch},    {SIGTERM, 143, withHeightMap},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.number)) + (c.form == batch           ? " in a batch"
                                                         : c.form == withHeightMap ? " with a height map"
                                                                                   : ""));
        ASSERT_EQ(mkfifo(path("in/slow.png").c_str(), 0600), 0);
        std::ofstream(path("out/slow.png")) << "older output";
        const std::vector<std::vector<std::string>> arguments = {
            {path("in/slow.png"), path("out/slow.png")},
            {"--height-map", path("out/height.png"), path("in/slow.png"), path("out/slow.png")},
            {"--out-dir", path("out"), path("in/a.png"), path("in/slow.png")},
        };
        const pid_t tool = this->start(arguments[c.form]);
        ASSERT_GT(tool, 0);
        const int fifo = openOnceRead(path("in/slow.png"), tool);
        EXPECT_GE(fifo, 0) << "the tool ended before it read its input";
        EXPECT_EQ(write(fifo, start.data(), start.size()), static_cast<ssize_t>(start.size()));
        EXPECT_TRUE(awaitTemporaryFile(dir_ / "out", "slow.png", tool)) << "no temporary file was made";
        if (c.form == withHeightMap) {
            EXPECT_TRUE(awaitTemporaryFile(dir_ / "out", "height.png", tool)) << "no temporary height map";
        }
        kill(tool, c.number);
        const int status = finish(tool);
        close(fifo);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status) << ": " << errors;
        EXPECT_EQ(128 + WTERMSIG(status), c.shellStatus);
        std::set<std::string> expected = {"slow.png"};
        if (c.form == batch)
            expected.insert("a.png");
        EXPECT_EQ(namesIn(dir_ / "out"), expected);
        EXPECT_EQ(fileContent(path("out/slow.png")), "older output");
        Image written;
        if (c.form == batch) {
            EXPECT_TRUE(readPng(path("out/a.png"), written, error)) << "a completed output stays: " << error;
        }
        fs::remove(path("in/slow.png"));
        fs::remove(path("out/a.png"));
    }
}

// What was in the way when the finished file could not take the output's
// place: a directory made there while the tool read its input.
TEST_F(Cli, ARefusedRenameSaysWhy)
{
    std::string error;
    ASSERT_TRUE(writePng(path("whole.png"), noisyImages(1, 40, 30)[0], error)) << error;
    const std::string whole = fileContent(path("whole.png"));
    ASSERT_EQ(mkfifo(path("in.png").c_str(), 0600), 0);
    fs::create_directories(dir_ / "out");
    const pid_t tool = start({path("in.png"), path("out/new.png")});
    ASSERT_GT(tool, 0);
    const int fifo = openOnceRead(path("in.png"), tool);
    EXPECT_GE(fifo, 0) << "the tool ended before it read its input";
    EXPECT_TRUE(awaitTemporaryFile(dir_ / "out", "new.png", tool)) << "no temporary file was made";
    fs::create_directories(dir_ / "out" / "new.png" / "inside");
    EXPECT_EQ(write(fifo, whole.data(), whole.size()), static_cast<ssize_t>(whole.size()));
    close(fifo);
    const int status = finish(tool);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    expectOneCleanLine(errors);
    EXPECT_NE(errors.find("rename"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Is a directory"), std::string::npos) << errors;
    EXPECT_EQ(namesIn(dir_ / "out"), std::set<std::string>{"new.png"});
    EXPECT_TRUE(fs::is_directory(dir_ / "out" / "new.png" / "inside"));
}

// Limits.

// A header of `width` x `height` 8-bit pixels of `type`, a little image
// data and an end: a few dozen bytes that declare any size.
std::vector<uint8_t> declaredSize(uint32_t width, uint32_t height, PngColorType type)
{
    return pngFile({headerChunk(width, height, 8, type), {"IDAT", deflated(std::vector<uint8_t>(100))}, {"IEND", {}}});
}

// The memory a render needs is worked out from the header: an image that
// cannot fit is refused at once, with the figures, before any pixel is
// allocated; through a pipe, which has no size to check the header against,
// too.
TEST_F(Cli, ImagesBeyondMemoryAreRefusedFromTheirHeader)
{
    const uint64_t physical = static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE);
    if (physical > (uint64_t{54} << 30))
        GTEST_SKIP() << "a 60000 x 60000 render fits into this machine's memory";
    ASSERT_TRUE(saveBytes(path("huge.png"), declaredSize(60000, 60000, pngRgba)));
    ASSERT_TRUE(saveBytes(path("big.png"), declaredSize(8000, 8000, pngRgb)));
    std::string error;
    for (const char* name : {"a.png", "b.png"})
        ASSERT_TRUE(writePng(path(name), noisyImages(1, 30, 20)[0], error)) << error;
    fs::create_directories(dir_ / "out");
    const std::string tool = std::string(ORMOLO_CLI) + " ";
    // AddressSanitizer reserves terabytes of address space as it starts.
#if defined(__SANITIZE_ADDRESS__)
    const bool addressLimits = false;
#else
    const bool addressLimits = true;
#endif
    const std::string hugeLine = " is 60000 x 60000 pixels: the render needs about 54 GB, more than this machine's ";
    const struct {
        const char* name;
        std::string command;
        int status;
        std::string says;
        std::string summary;
        bool limited;
    } cases[] = {
        {"through a pipe", "cat " + path("huge.png") + " | " + tool + "- " + path("out.png"), 1, "'-'" + hugeLine, "",
         false},
        {"in a batch, which goes on past it",
         "cat " + path("huge.png") + " | " + tool + "--out-dir " + path("out") + " " + path("a.png") + " /dev/stdin " +
             path("b.png"),
         1, "'/dev/stdin'" + hugeLine, "ormolo2: 2 rendered, 1 failed\n", false},
        {"under an address-space limit",
         "ulimit -v 400000; cat " + path("big.png") + " | " + tool + "- " + path("out.png"), 1,
         "'-' is 8000 x 8000 pixels: the render needs about 916 MB, more than the process's address-space limit of "
         "390 MB",
         "", true},
        {"an image that fits, under the same limit", "ulimit -v 400000; " + tool + path("a.png") + " " + path("out.png"),
         0, "", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.limited && !addressLimits)
            continue;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(runCommand("(" + c.command + ")"), c.status) << errors;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
        EXPECT_EQ(output, c.summary);
        if (c.status == 0)
            continue;
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists(path("out.png")));
    }
    EXPECT_EQ(namesIn(dir_ / "out"), (std::set<std::string>{"a.png", "b.png"}));
}

// A file of a few bytes whose chunk claims 2 GB: libpng would allocate and
// fill a text chunk at its claimed length before finding the file short.
TEST_F(Cli, ChunksTheToolDoesNotUseCostNoMemory)
{
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "prIv"}) {
        SCOPED_TRACE(type);
        std::vector<uint8_t> file = pngFile({headerChunk(10, 10, 8, pngRgb)});
        put32(file, 0x7fffffff);
        file.insert(file.end(), type, type + 4);
        file.insert(file.end(), 13, 'x');
        ASSERT_TRUE(saveBytes(path("claims.png"), file));
        const pid_t tool = start({path("claims.png"), path("out.png")});
        ASSERT_GT(tool, 0);
        const int status = finish(tool);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        expectOneCleanLine(errors);
        EXPECT_NE(errors.find("the file ends early"), std::string::npos) << errors;
        EXPECT_LT(peakKilobytes, 200 * 1024) << "kilobytes at the peak";
    }
}

} // namespace
