#include "cli/temporary_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The permissions that creating a file with mode 0666 gives under the
// process's umask. The umask can only be read by setting it, which would
// change the mode of a file that another thread creates meanwhile, so it is
// read once, as the program starts and before any thread runs.
const mode_t newFileMode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}();

constexpr char temporarySuffix[] = ".ormolo2-XXXXXX";
constexpr size_t temporarySuffixLength = sizeof temporarySuffix - 1;

// The longest file name that `folder` takes.
size_t nameLimitOf(const std::string& folder)
{
    const long limit = pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
}

} // namespace

FILE* createTemporaryBeside(const std::string& path, std::string& temporaryPath)
{
    // The temporary file is named after the output where the folder takes
    // the longer name, so that a file left by a killed run tells whose it
    // was; beside an output whose name is near the limit it is the suffix
    // alone, which mkstemp makes unique all the same.
    const size_t nameStart = path.rfind('/') + 1;  // 0 without a folder
    const std::string folder = path.substr(0, nameStart);
    const size_t nameLength = path.size() - nameStart;
    const size_t limit = nameLimitOf(folder.empty() ? "." : folder);
    if (nameLength > limit) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    const std::string pattern =
        (nameLength + temporarySuffixLength <= limit ? path : folder) + temporarySuffix;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0)
        return nullptr;
    // mkstemp makes the file private to its owner; the output is not.
    FILE* file = fchmod(descriptor, newFileMode) == 0 ? fdopen(descriptor, "wb") : nullptr;
    if (!file) {
        const int reason = errno;
        close(descriptor);
        unlink(name.data());
        errno = reason;
        return nullptr;
    }
    temporaryPath = name.data();
    return file;
}
