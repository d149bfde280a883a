#include "dialog/preview_evidence.h"

#include <cstdio>
#include <string>

#include <unistd.h>

namespace {

// The folder, or empty.
const std::string& evidenceFolder()
{
    static const std::string folder = [] {
        const gchar* value = g_getenv("ORMOLO_PREVIEW_EVIDENCE");
        return std::string(value ? value : "");
    }();
    return folder;
}

void note(const std::string& line)
{
    std::FILE* log = std::fopen((evidenceFolder() + "/previews.log").c_str(), "a");
    if (!log)
        return;
    std::fprintf(log, "%ld %s\n", static_cast<long>(getpid()), line.c_str());
    std::fclose(log);
}

} // namespace

void notePreviewStarted(unsigned render, const PreviewJob& job)
{
    if (evidenceFolder().empty())
        return;
    const PixelView<uint8_t>& pixels = job.pixels;
    note("started " + std::to_string(render) + " " + std::to_string(job.x1) + " " + std::to_string(job.y1) + " " +
         std::to_string(pixels.width) + " " + std::to_string(pixels.height) + " " + std::to_string(pixels.channels));
}

void notePreviewDrawn(unsigned render, const PreviewJob& job)
{
    if (evidenceFolder().empty())
        return;
    const std::string name = evidenceFolder() + "/preview-" + std::to_string(getpid()) + "-" +
                             std::to_string(render) + ".data";
    if (std::FILE* file = std::fopen(name.c_str(), "wb")) {
        std::fwrite(job.pixels.data, 1, job.pixels.byteCount(), file);
        std::fclose(file);
    }
    note("drawn " + std::to_string(render));
}

void notePreviewDropped(unsigned render, bool complete)
{
    if (!evidenceFolder().empty())
        note((complete ? "stale " : "stopped ") + std::to_string(render));
}
