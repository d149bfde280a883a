// A test fixture that runs the command-line tool in a folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>

#include "scratch_folder.h"

class Cli : public ::testing::Test, protected ScratchFolder {
protected:
    // Runs the tool; returns its exit status and keeps stdout in `output`
    // and stderr in `errors`.
    int run(const std::string& arguments) { return runCommand(std::string(ORMOLO_CLI) + " " + arguments); }

    // Runs a shell command line as `run` runs the tool.
    int runCommand(const std::string& command)
    {
        const int status =
            std::system((command + " 2> " + path("stderr.txt") + " > " + path("stdout.txt")).c_str());
        output = fileContent(path("stdout.txt"));
        errors = fileContent(path("stderr.txt"));
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

    std::string output;
    std::string errors;
};
