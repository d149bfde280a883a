// A test fixture that runs the command-line tool in a folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("ormolo2-cli-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the tool; returns its exit status and keeps stderr in `errors`.
    int run(const std::string& arguments) { return runCommand(std::string(ORMOLO_CLI) + " " + arguments); }

    // Runs a shell command line as `run` runs the tool.
    int runCommand(const std::string& command)
    {
        const std::string errorFile = path("stderr.txt");
        const int status = std::system((command + " 2> " + errorFile + " > " + path("stdout.txt")).c_str());
        std::ifstream in(errorFile);
        errors.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Writes a PNG through libpng's simplified API in any of its formats.
    void writeRaw(const std::string& name, int width, int height, png_uint_32 format, const void* data)
    {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = width;
        image.height = height;
        image.format = format;
        ASSERT_TRUE(png_image_write_to_file(&image, path(name).c_str(), 0, data, 0, nullptr));
    }

    std::string errors;
    std::filesystem::path dir_;
};
