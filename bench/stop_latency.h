// How soon a preview render stops when asked: renders run as the dialog's
// preview runs them (a thread of their own, one workspace kept across
// renders) and are asked to stop at points spread over their run.
#pragma once

#include "cli/image.h"

// Prints, for the benchmark's preview case and for a preview whose renders
// take seconds, the time from each stop request to the render's return.
void runStopLatency(const Image& preview);
