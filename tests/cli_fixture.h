// A test fixture that runs the command-line tool in a folder of its own.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

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

    // Starts the tool with `arguments`, without a shell, its stdout and
    // stderr going to files, with SIGINT, SIGTERM and SIGHUP at their
    // default actions whatever this process inherited; returns its process
    // id, or -1.
    pid_t start(const std::vector<std::string>& arguments)
    {
        std::vector<char*> argv = {const_cast<char*>(ORMOLO_CLI)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 1, path("stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, 2, path("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults, none;
        sigemptyset(&defaults);
        for (int number : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&defaults, number);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
        pid_t pid = -1;
        if (posix_spawn(&pid, ORMOLO_CLI, &files, &attributes, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);
        return pid;
    }

    // Waits for a tool that `start` started; returns its wait status, keeps
    // its stdout and stderr as `run` does and its peak resident memory in
    // `peakKilobytes`.
    int finish(pid_t pid)
    {
        int status = -1;
        struct rusage usage {};
        while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        output = fileContent(path("stdout.txt"));
        errors = fileContent(path("stderr.txt"));
        peakKilobytes = usage.ru_maxrss;
        return status;
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
    long peakKilobytes = 0;
};
