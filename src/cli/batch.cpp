#include "cli/batch.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <set>
#include <utility>

#include "cli/quoted_name.h"

namespace fs = std::filesystem;

namespace {

using FileIdentity = std::pair<dev_t, ino_t>;

// The file a path names, when it exists: hard links and symbolic links to
// one file share it.
bool identityOf(const std::string& path, FileIdentity& identity)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    identity = {status.st_dev, status.st_ino};
    return true;
}

} // namespace

bool planJobs(const CliOptions& options, std::vector<FileJob>& jobs, std::string& error)
{
    jobs.clear();
    if (options.outDir.empty()) {
        jobs.push_back({options.inputPaths.front(), options.outputPath});
        return true;
    }
    std::error_code failure;
    if (!fs::is_directory(options.outDir, failure)) {
        error = "output directory " + quotedName(options.outDir) + " does not exist or is not a directory";
        return false;
    }
    // An output can only overwrite an input that exists, so comparing the
    // files that the paths name catches every spelling, symbolic link and
    // hard link of the inputs. The probe is an input too.
    std::vector<std::string> readPaths = options.inputPaths;
    if (!options.probePath.empty())
        readPaths.push_back(options.probePath);
    std::set<FileIdentity> inputFiles;
    for (const std::string& input : readPaths) {
        FileIdentity identity;
        if (identityOf(input, identity))
            inputFiles.insert(identity);
    }
    std::map<fs::path, std::string> inputOfName;
    for (const std::string& input : options.inputPaths) {
        const fs::path name = fs::path(input).filename();
        if (name.empty() || name == "." || name == "..") {
            error = quotedName(input) + " names no file";
            return false;
        }
        const std::string output = (fs::path(options.outDir) / name).string();
        FileIdentity identity;
        if (identityOf(output, identity) && inputFiles.count(identity)) {
            error = "refusing to overwrite the input " + quotedName(output) + "; choose another --out-dir";
            return false;
        }
        const auto [previous, isNew] = inputOfName.emplace(name, input);
        if (!isNew) {
            error = quotedName(previous->second) + " and " + quotedName(input) + " would both be written to " +
                    quotedName(output);
            return false;
        }
        jobs.push_back({input, output});
    }
    return true;
}
