// Reads the probe drawable that the settings name into memory, whole, once
// per render.
#pragma once

#include <libgimp/gimp.h>

#include "render/probe_image.h"

// False, and no probe, when `drawableId` names no drawable (-1, or a closed
// one). Grey probes give red = green = blue; indexed ones are read through
// their image's colour map.
bool readProbeDrawable(gint32 drawableId, ProbeImage& probe);
