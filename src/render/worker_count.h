// How many workers a render's output pass gets: starting threads costs
// more than it saves on small regions and small neighbourhoods (every
// preview of a thin stroke), so each worker needs a minimum of work.
#pragma once

#include "render/height_field.h"
#include "render/render_settings.h"

// The number of workers a request for `threads` gets: 0 means one per core.
int workerCount(int threads);

// `threads` > 0 is taken as it is; 0 asks for one worker per core, but no
// more than the neighbourhoods of the region's inside pixels keep busy.
int workersForRender(HeightField heights, const RenderSettings& settings, int threads);
