// The settings record shared by the plug-in, its dialog, the renderer and the
// command-line tool. Its in-memory form is also the 48-byte record that GIMP
// stores between runs, so the field order and types are fixed.
#pragma once

#include <cstdint>

enum SlopeTypeEnum : int32_t {
    SLOPE_FLAT = 1,
    SLOPE_ROUND = 2,
    SLOPE_ROUND2 = 3,
};

struct OrmoloVals {
    int32_t invertInput;            // gboolean: non-zero inverts the shape mask
    int32_t slopeType;              // SlopeTypeEnum value; any other value renders like Round
    int32_t maxNormalMapBlurRadius; // upper bound of the Flat kernel radius
    float slopeDepthFlat;
    float slopeDepthRound;
    float slopeDepthRound2;
    int32_t probeImgDrawable;       // drawable ID of the spherical probe, -1 for none
    double specularity;             // 0 diffuse .. 1 specular
    int32_t preview;                // gboolean: the dialog preview's on/off toggle
};

static_assert(sizeof(OrmoloVals) == 48, "the stored settings record is 48 bytes");

constexpr int ormoloStoredSize = 48;

constexpr OrmoloVals ormoloDefaults = {
    0,            // invertInput
    SLOPE_ROUND2, // slopeType
    3,            // maxNormalMapBlurRadius
    10.0f,        // slopeDepthFlat
    7.0f,         // slopeDepthRound
    20.0f,        // slopeDepthRound2
    -1,           // probeImgDrawable
    1.0,          // specularity
    1,            // preview
};
