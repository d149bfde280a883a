#include "cli/signal_cleanup.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <iterator>
#include <unistd.h>

namespace {

const int cleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// What the handlers read. They may run at any moment, so the paths are
// prepared beforehand in static buffers, and a slot is marked as holding one
// only once its path is complete.
struct FileToRemove {
    char path[PATH_MAX];
    volatile sig_atomic_t held;
};
FileToRemove filesToRemove[2];

// Async-signal-safe calls only: unlink, signal, raise. The signal raised
// again stays blocked until the handler returns, and then ends the process
// with its default action.
extern "C" void removeAndEnd(int number)
{
    for (const FileToRemove& file : filesToRemove)
        if (file.held)
            unlink(file.path);
    signal(number, SIG_DFL);
    raise(number);
}

sigset_t cleanedSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int number : cleanedSignals)
        sigaddset(&set, number);
    return set;
}

} // namespace

void installSignalCleanup()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = removeAndEnd;
    // One handler at a time: a second signal waits until the first has
    // removed the file and ended the process.
    action.sa_mask = cleanedSet();
    for (int number : cleanedSignals) {
        struct sigaction previous;
        if (sigaction(number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(number, &action, nullptr);
    }
}

SignalsHeld::SignalsHeld()
{
    const sigset_t set = cleanedSet();
    pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

SignalsHeld::~SignalsHeld()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int removeOnSignal(const std::string& path)
{
    // The system takes no longer path, so a file it created always fits.
    if (path.size() >= PATH_MAX)
        return -1;
    for (int slot = 0; slot < static_cast<int>(std::size(filesToRemove)); ++slot) {
        FileToRemove& file = filesToRemove[slot];
        if (file.held)
            continue;
        std::memcpy(file.path, path.c_str(), path.size() + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        file.held = 1;
        return slot;
    }
    return -1;
}

void forgetRemoveOnSignal(int slot)
{
    if (slot >= 0)
        filesToRemove[slot].held = 0;
}
