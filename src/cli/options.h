// Command-line options of the ormolo2 tool: one per setting of the plug-in
// procedure, followed by the input and output file names.
#pragma once

#include <cstdint>
#include <string>

#include "host/ormolo_vals.h"

struct CliOptions {
    OrmoloVals vals = ormoloDefaults;
    std::string probePath;      // empty: normal map
    bool seedGiven = false;
    uint64_t seed = 0;          // start of the random stream for blurred probes
    std::string inputPath;
    std::string outputPath;
    bool showHelp = false;
};

extern const char* const cliUsage;

// Returns false with a one-line `error` for unknown options, missing or
// out-of-range values and a wrong number of file names.
bool parseOptions(int argc, const char* const* argv, CliOptions& options, std::string& error);
