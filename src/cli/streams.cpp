#include "cli/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "cli/quoted_name.h"
#include "cli/signal_cleanup.h"
#include "cli/temporary_file.h"

namespace {

bool isStandardStream(FILE* file)
{
    return file == stdin || file == stdout || file == stderr;
}

std::string cannotWrite(const std::string& path, int reason)
{
    return "cannot write " + quotedName(path) + ": " + std::strerror(reason);
}

// Standard output or error when `status` is the file it writes to: the
// output is then written through that stream, so that /dev/stdout in
// a pipeline or redirected to a file ends up where the shell sent it.
FILE* standardStreamWritingTo(const struct stat& status)
{
    for (FILE* stream : {stdout, stderr}) {
        struct stat streamStatus;
        if (fstat(fileno(stream), &streamStatus) == 0 && streamStatus.st_dev == status.st_dev &&
            streamStatus.st_ino == status.st_ino)
            return stream;
    }
    return nullptr;
}

// A FIFO or device node is opened as it is: never created, never truncated,
// never made the process's terminal.
FILE* openNode(const std::string& path)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        const int reason = errno;
        close(descriptor);
        errno = reason;
    }
    return file;
}

void removeTemporary(OutputFile& output)
{
    if (output.temporaryPath.empty())
        return;
    unlink(output.temporaryPath.c_str());
    forgetRemoveOnSignal(output.signalSlot);
    output.temporaryPath.clear();
}

// Flushes a standard stream, closes any other file.
bool closeOutput(OutputFile& output, std::string& error)
{
    FILE* file = std::exchange(output.file, nullptr);
    errno = 0;
    if (isStandardStream(file) ? std::fflush(file) == 0 && !std::ferror(file) : std::fclose(file) == 0)
        return true;
    error = cannotWrite(output.path, errno != 0 ? errno : EIO);
    return false;
}

// Renames the temporary file of a closed output onto it.
bool renameIntoPlace(OutputFile& output, std::string& error)
{
    if (output.temporaryPath.empty())
        return true;
    if (std::rename(output.temporaryPath.c_str(), output.path.c_str()) != 0) {
        error = "cannot rename the finished file onto " + quotedName(output.path) + ": " + std::strerror(errno);
        return false;
    }
    forgetRemoveOnSignal(output.signalSlot);
    output.temporaryPath.clear();
    return true;
}

} // namespace

void FileCloser::operator()(FILE* file) const
{
    if (!isStandardStream(file))
        std::fclose(file);
}

InputFile openInput(const std::string& path, std::string& error)
{
    if (path == "-")
        return InputFile(stdin);
    InputFile file(std::fopen(path.c_str(), "rb"));
    if (!file)
        error = "cannot open " + quotedName(path) + ": " + std::strerror(errno);
    return file;
}

OutputFile::~OutputFile()
{
    if (file)
        FileCloser()(file);
    removeTemporary(*this);
}

bool openOutput(const std::string& path, OutputFile& output, std::string& error)
{
    output.path = path;
    if (path == "-") {
        output.file = stdout;
        return true;
    }
    struct stat status;
    if (stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            error = cannotWrite(path, EISDIR);
            return false;
        }
        if (FILE* stream = standardStreamWritingTo(status)) {
            output.file = stream;
            return true;
        }
        if (!S_ISREG(status.st_mode)) {
            output.file = openNode(path);
            if (!output.file)
                error = cannotWrite(path, errno);
            return output.file != nullptr;
        }
    }
    // Created and registered with the signals held, so that an interrupt
    // never finds a temporary file that it does not know of.
    const SignalsHeld held;
    output.file = createTemporaryBeside(path, output.temporaryPath);
    if (!output.file) {
        error = cannotWrite(path, errno);
        return false;
    }
    output.signalSlot = removeOnSignal(output.temporaryPath);
    return true;
}

bool finishOutputs(const std::vector<OutputFile*>& outputs, std::string& error)
{
    bool written = true;
    for (OutputFile* output : outputs) {
        std::string reason;
        if (!closeOutput(*output, reason) && written) {
            error = reason;
            written = false;
        }
    }
    if (!written)
        return false;
    for (OutputFile* output : outputs)
        if (!renameIntoPlace(*output, error))
            return false;
    return true;
}
