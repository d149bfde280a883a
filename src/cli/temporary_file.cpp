#include "cli/temporary_file.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The permissions that creating a file with mode 0666 gives under the
// process's umask, which can only be read by setting it.
mode_t newFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

FILE* createTemporaryBeside(const std::string& path, std::string& temporaryPath)
{
    const std::string pattern = path + ".ormolo2-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0)
        return nullptr;
    // mkstemp makes the file private to its owner; the output is not.
    FILE* file = fchmod(descriptor, newFileMode()) == 0 ? fdopen(descriptor, "wb") : nullptr;
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
