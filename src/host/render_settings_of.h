// The plug-in's one translation of its settings record into the renderer's
// settings.
#pragma once

#include "host/ormolo_vals.h"
#include "render/render_settings.h"

// Everything but the probe, which the record names by drawable ID: the frame
// reads that drawable and sets it.
RenderSettings renderSettingsOf(const OrmoloVals& vals);
