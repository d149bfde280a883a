#include "renderers.h"

#include "host/render_settings_of.h"
#include "reference_renderer.h"
#include "render/distance_transform.h"
#include "render/random_stream.h"
#include "render/render.h"
#include "render/render_workspace.h"
#include "render/seeds.h"

void renderProduct(const Image& image, const BenchSettings& settings, std::vector<uint8_t>& output)
{
    output.resize(image.pixels.size());
    setRandomStreamPosition(0);
    static RenderWorkspace keptWorkspace;
    RenderSettings product = renderSettingsOf(settings.vals);
    product.probe = settings.probe;
    renderRegion(image.view(), PixelView<uint8_t>(output.data(), image.width, image.height, image.channels),
                 product, {}, settings.threads,
                 settings.keepsWorkspace ? &keptWorkspace : nullptr);
}

std::vector<uint8_t> renderLiteral(const Image& image, const BenchSettings& settings)
{
    return referenceRender(image.pixels, image.width, image.height, image.channels, settings.vals,
                           settings.probe, 0);
}

void runDistanceTransform(const Image& image, DistanceBuffers& buffers)
{
    const int width = image.width, height = image.height;
    const PlaneView<float> horiz(buffers.horiz.data(), width, height);
    const PlaneView<float> vert(buffers.vert.data(), width, height);
    scanSeeds(image.view(), false, horiz, vert);
    propagateForward(horiz, vert, {});
    propagateBackward(horiz, vert, {});
    computeDistanceField(horiz, vert, {});
}
