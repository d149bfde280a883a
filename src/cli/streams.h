// How the tool opens its files. "-" names standard input as an input and
// standard output as an output. A regular output is written into a
// temporary file beside it and renamed into place once complete; an output
// that is not a regular file (a FIFO, a device, standard output, or a link
// to one of these) is written into directly: replacing it would hand its
// reader nothing and remove the node.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Closes a file, but never one of the standard streams.
struct FileCloser {
    void operator()(FILE* file) const;
};
using InputFile = std::unique_ptr<FILE, FileCloser>;

// The input `path` open for reading, or null with a one-line `error`.
InputFile openInput(const std::string& path, std::string& error);

// An output open for writing. One that finishOutputs has not completed is
// discarded when it goes: its temporary file is removed, a node written
// into directly is left as it is.
struct OutputFile {
    std::string path;           // as named
    FILE* file = nullptr;
    std::string temporaryPath;  // empty when the output is written directly
    int signalSlot = -1;        // where the signal handlers find the temporary file
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();
};

// Opens `path` for writing in the way that suits what it names. A directory
// in its place is an error. Returns false with a one-line `error`.
bool openOutput(const std::string& path, OutputFile& output, std::string& error);

// Flushes and closes the outputs and, once every one is written, renames
// their temporary files onto them in their order, so that outputs that
// belong together (a normal map and its height map) take their places only
// when all are whole. At the first rename that fails the later outputs are
// discarded; those renamed before it stay. Returns false with a one-line
// `error`, saying the system's reason.
bool finishOutputs(const std::vector<OutputFile*>& outputs, std::string& error);
