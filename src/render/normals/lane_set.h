// The instruction sets the row kernels of the normal stages are built for.
// Every set gives the same bits; they differ only in speed.
#pragma once

#include <string>

enum class LaneSet {
    Portable,  // generic vectors of 4 lanes, any processor
    Avx2,      // 8 lanes
    Avx512,    // 16 lanes
};

// Whether this processor can run the set.
bool laneSetRuns(LaneSet set);

// The set's name as ORMOLO_LANES spells it: portable, avx2 or avx512.
const char* laneSetName(LaneSet set);

struct LaneChoice {
    LaneSet set;
    std::string refused;  // the name asked for when it was not taken; empty when it was or none was
};

// The set for a request by name (null or empty: none), on a processor that
// runs the sets for which `runs` is true: the named one if it runs, else the
// widest that does.
LaneChoice chooseLaneSet(const char* requested, bool (*runs)(LaneSet));

// Why the choice did not take the name it was asked for, as one line for the
// user with the name spelt as `shownName` (hosts escape it for their
// output); empty when nothing was refused.
std::string laneRefusal(const LaneChoice& choice, const std::string& shownName);

// ORMOLO_LANES chosen as above, read once, so that a user or a test can pin
// one path of the process. The renderer only makes the choice; each host
// tells its user of a refusal once, at its start.
const LaneChoice& environmentLaneChoice();

// The set the row kernels use when the caller names none: the environment's
// choice.
LaneSet defaultLaneSet();

// How Round2's lanes divide by a neighbour's length: with the divider, or
// by products with the length's reciprocal (the same bits, see
// lane_quotients.inc). Products cost more vector instructions than they
// save on processors with a fast divider (quotient_choice.h picks one).
enum class LengthQuotients {
    Divider,
    Products,
};

// "divider" or "products", for reports.
const char* lengthQuotientsName(LengthQuotients quotients);
