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

// Whether two paths name one file: the same existing file, or the same
// spelling of a file that does not exist yet.
bool sameFile(const std::string& a, const std::string& b)
{
    FileIdentity first, second;
    if (identityOf(a, first) && identityOf(b, second))
        return first == second;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

bool isDirectory(const std::string& path, const char* what, std::string& error)
{
    std::error_code failure;
    if (fs::is_directory(path, failure))
        return true;
    error = std::string(what) + " " + quotedName(path) + " does not exist or is not a directory";
    return false;
}

} // namespace

bool planJobs(const CliOptions& options, std::vector<FileJob>& jobs, std::string& error)
{
    jobs.clear();
    if (options.outDir.empty()) {
        if (!options.heightMapPath.empty() && sameFile(options.heightMapPath, options.outputPath)) {
            error = "--height-map and the output both name " + quotedName(options.outputPath);
            return false;
        }
        jobs.push_back({options.inputPaths.front(), options.outputPath, options.heightMapPath});
        return true;
    }
    if (!isDirectory(options.outDir, "output directory", error))
        return false;
    const bool heights = !options.heightDir.empty();
    if (heights && !isDirectory(options.heightDir, "height map directory", error))
        return false;
    if (heights && sameFile(options.heightDir, options.outDir)) {
        error = "--height-dir and --out-dir name the same directory: the height maps would replace the "
                "normal maps";
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
        const std::string heightMap = heights ? (fs::path(options.heightDir) / name).string() : std::string();
        for (const auto& [path, option] : {std::pair(output, "--out-dir"), std::pair(heightMap, "--height-dir")}) {
            FileIdentity identity;
            if (!path.empty() && identityOf(path, identity) && inputFiles.count(identity)) {
                error = "refusing to overwrite the input " + quotedName(path) + "; choose another " + option;
                return false;
            }
        }
        const auto [previous, isNew] = inputOfName.emplace(name, input);
        if (!isNew) {
            error = quotedName(previous->second) + " and " + quotedName(input) + " would both be written to " +
                    quotedName(output);
            return false;
        }
        jobs.push_back({input, output, heightMap});
    }
    return true;
}
