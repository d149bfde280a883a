// The files of one call: the two-file form, or a batch that renders every
// input into an output directory under the input's own file name.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

struct FileJob {
    std::string inputPath;
    std::string outputPath;
    std::string heightPath;  // empty: no height map
};

// Returns false with a one-line `error`, before anything is written, when
// the files cannot be written safely: an output directory is missing, an
// output would overwrite one of the inputs or the probe, two inputs share a
// file name and so would write the same output, or a height map would
// overwrite a normal map.
bool planJobs(const CliOptions& options, std::vector<FileJob>& jobs, std::string& error);
