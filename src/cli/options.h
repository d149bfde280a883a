// Command-line options of the ormolo2 tool: one per setting of the plug-in
// procedure and the tool's own, followed by the input and output file names
// (or, with --out-dir, the input file names of a batch).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/png_io.h"
#include "render/render_settings.h"

enum class MaskChannel { red, alpha };

struct CliOptions {
    RenderSettings settings;    // its probe is set once the probe file is read
    MaskChannel mask = MaskChannel::red;
    std::string probePath;      // empty: normal map
    int bits = 8;               // of the normal map: 16 only with the unit encoding
    std::string heightMapPath;  // the two-file form's height map; empty: none
    std::string heightDir;      // a batch's height maps; empty: none
    double heightScale = 0.0;   // pixels that 65535 stands for; 0: each image's largest height
    uint64_t seed = 0;          // start of the random stream for each file's blurred probe
    int threads = 0;            // 0: one per core
    PngCompression compression = PngCompression::fast;
    std::string outDir;         // empty: the two-file form
    std::vector<std::string> inputPaths;  // exactly one in the two-file form
    std::string outputPath;     // the two-file form only
    bool showHelp = false;
    bool showVersion = false;
};

// The usage text, one entry per option of the table that the parser reads.
std::string cliUsage();

// Returns false with a one-line `error` for unknown options, missing or
// out-of-range values, options that exclude each other and a wrong number of
// file names.
bool parseOptions(int argc, const char* const* argv, CliOptions& options, std::string& error);
