// Interrupted runs leave nothing behind: SIGINT, SIGTERM and SIGHUP remove
// the temporary files of the outputs being written, then end the process by
// the same signal, so that the shell sees the status it expects (128 + the
// signal's number).
#pragma once

#include <csignal>
#include <string>

// Installs the handlers, once, as the program starts. A signal that the
// program was started with ignored (a background job of a script ignores
// SIGINT) stays ignored.
void installSignalCleanup();

// Holds off the three signals for its lifetime, on the calling thread, so
// that a file is never created without being registered for removal.
class SignalsHeld {
public:
    SignalsHeld();
    ~SignalsHeld();
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_;
};

// The files that the handlers remove: register one while the signals are
// held, right after creating it, and forget it by the slot that registering
// it returned once it has been renamed or removed. A render writes at most
// two files at once, its normal map and its height map; a file beyond those
// gets the slot -1 and is not removed.
int removeOnSignal(const std::string& path);
void forgetRemoveOnSignal(int slot);
