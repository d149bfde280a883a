#include "host/render_settings_of.h"

RenderSettings renderSettingsOf(const OrmoloVals& vals)
{
    RenderSettings settings;
    settings.invertInput = vals.invertInput != 0;
    settings.profile = slopeProfileOfNumber(vals.slopeType);
    settings.maxFlatRadius = vals.maxNormalMapBlurRadius;
    settings.depthFlat = vals.slopeDepthFlat;
    settings.depthRound = vals.slopeDepthRound;
    settings.depthRound2 = vals.slopeDepthRound2;
    settings.specularity = vals.specularity;
    return settings;
}
