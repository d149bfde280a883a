#include "reference_renderer.h"

#include <cmath>
#include <cstring>

#include "render/random_stream.h"

ReferenceVectors referenceSeeds(const std::vector<uint8_t>& pixels, int width, int height,
                                int channels, bool invertInput)
{
    ReferenceVectors out{std::vector<float>(width * height), std::vector<float>(width * height)};
    const int bytesPerRow = width * channels;
    std::vector<uint8_t> a(bytesPerRow), b(bytesPerRow), c(bytesPerRow);
    uint8_t* row = a.data();
    uint8_t* rowAbove = b.data();
    uint8_t* rowBelow = c.data();
    auto readRow = [&](uint8_t* into, int r) { std::memcpy(into, &pixels[r * bytesPerRow], bytesPerRow); };
    readRow(row, 0);
    readRow(rowBelow, 0);
    for (int y = 0; y < height; y++) {
        uint8_t* tmpRow = rowAbove;
        rowAbove = row;
        row = rowBelow;
        rowBelow = tmpRow;
        readRow(rowBelow, y + 1 < height - 1 ? y + 1 : height - 1);
        for (int x = 0; x < width; x++) {
            unsigned char val = row[x * channels];
            if (invertInput)
                val = ~val;
            float& h = out.distHoriz[y * width + x];
            float& v = out.distVert[y * width + x];
            if (val == 255) {
                h = 9999;
                v = 9999;
                continue;
            }
            h = 0;
            v = 0;
            if (val >= 1 && val <= 254 && x >= 1 && x <= width - 2 && y >= 1 && y <= height - 2) {
                float vleft = row[(x - 1) * channels];
                float vright = row[(x + 1) * channels];
                float vtop = rowAbove[x * channels];
                float vbottom = rowBelow[x * channels];
                float minH = vleft < vright ? vleft : vright;
                float minV = vtop < vbottom ? vtop : vbottom;
                if (minH < minV)
                    h = (float)(val / 255.0);
                else
                    v = (float)(val / 255.0);
            }
        }
    }
    return out;
}

void referenceRelaxPixel(ReferenceVectors& d, int at, int n1, int n2, int n3)
{
    float h = d.distHoriz[at], v = d.distVert[at];
    if (!(h > 0 || v > 0))
        return;
    float hn1 = d.distHoriz[n1] + 1, vn1 = d.distVert[n1];
    float sn1 = hn1 * hn1 + vn1 * vn1;
    float hn2 = d.distHoriz[n2], vn2 = d.distVert[n2] + 1;
    float sn2 = hn2 * hn2 + vn2 * vn2;
    float hn3 = d.distHoriz[n3] + 1, vn3 = d.distVert[n3] + 1;
    float sn3 = hn3 * hn3 + vn3 * vn3;
    if (sn1 > sn2) {
        sn1 = sn2;
        hn1 = hn2;
        vn1 = vn2;
    }
    if (sn1 > sn3) {
        sn1 = sn3;
        hn1 = hn3;
        vn1 = vn3;
    }
    if (h * h + v * v > sn1) {
        d.distHoriz[at] = hn1;
        d.distVert[at] = vn1;
    }
}

void referenceForwardPass(ReferenceVectors& d, int width, int height)
{
    for (int y = 1; y < height; y++)
        for (int x = 1; x < width - 1; x++) {
            int at = y * width + x;
            referenceRelaxPixel(d, at, at - 1, at - width, at - width + 1);
        }
}

void referenceBackwardPass(ReferenceVectors& d, int width, int height)
{
    for (int y = height - 2; y >= 0; y--)
        for (int x = width - 2; x >= 1; x--) {
            int at = y * width + x;
            referenceRelaxPixel(d, at, at + 1, at + width, at + width - 1);
        }
}

std::vector<float> referenceHeightField(const std::vector<uint8_t>& pixels, int width, int height,
                                        int channels, const OrmoloVals& vals)
{
    ReferenceVectors d = referenceSeeds(pixels, width, height, channels, vals.invertInput != 0);
    referenceForwardPass(d, width, height);
    referenceBackwardPass(d, width, height);
    std::vector<float> distDiag(width * height);
    for (int i = 0; i < width * height; i++) {
        float h = d.distHoriz[i], v = d.distVert[i];
        distDiag[i] = (float)sqrt((double)(h * h + v * v));
    }
    if (vals.slopeType == SLOPE_ROUND)
        for (float& value : distDiag)
            value = (float)(sqrt((double)value) * (double)vals.slopeDepthRound);
    return distDiag;
}

namespace {

// kr = (int)hc + 2. A height whose radius squared would not fit in an int
// (Round at depths far beyond the dialog's range, or infinite) has no such
// conversion; its disc and window take the whole region, as those of any
// radius of at least 2 * (width + height) do.
int referenceRadius(float hc, int width, int height)
{
    if (hc < 46000.0f)
        return (int)hc + 2;
    return 2 * (width + height);
}

} // namespace

void referenceFlatRoundNormal(const std::vector<float>& heights, int width, int height, int x,
                              int y, const OrmoloVals& vals, float& nx, float& ny, float* along)
{
    float hc = heights[y * width + x];
    int kr = referenceRadius(hc, width, height);
    if (vals.slopeType == SLOPE_FLAT && kr > vals.maxNormalMapBlurRadius)
        kr = vals.maxNormalMapBlurRadius;
    int krsq = kr * kr;
    float dx = 0, dy = 0, numx = 0.01f, numy = 0.01f;
    if (kr >= 0) {
        for (int ky = -kr; ky <= kr; ky++)
            for (int kx = -kr; kx <= kr; kx++) {
                if (x + kx < 0 || x + kx >= width || y + ky < 0 || y + ky >= height)
                    continue;
                int ksq = kx * kx + ky * ky;
                if (ksq > krsq || (kx == 0 && ky == 0))
                    continue;
                float klen;
                if (vals.slopeType == SLOPE_FLAT) {
                    float f = (10 - vals.slopeDepthFlat) + 1;
                    klen = (float)(sqrt((double)(float)ksq) * (double)f);
                } else {
                    klen = (float)sqrt((double)(float)ksq);
                }
                float df = (heights[(y + ky) * width + x + kx] - hc) / klen;
                float ang = (float)atan2((double)ky, (double)kx);
                dx = (float)((double)dx + cos((double)ang) * (double)df);
                dy = (float)((double)dy + (double)df * sin((double)ang));
                numx = (float)((double)numx + fabs(cos((double)ang)));
                numy = (float)((double)numy + fabs(sin((double)ang)));
            }
    }
    float tx = dx / numx, ty = dy / numy;
    nx = -(float)cos(atan2(1.0, (double)tx));
    ny = -(float)cos(atan2(1.0, (double)ty));
    if (along) {
        along[0] = -tx;
        along[1] = -ty;
        along[2] = 1.0f;
    }
}

void referenceRound2Normal(const std::vector<float>& heights, int width, int height, int x, int y,
                           const OrmoloVals& vals, float& nx, float& ny, float* along)
{
    float hc = heights[y * width + x];
    int kr = referenceRadius(hc, width, height);
    int krsq = kr * kr;
    int inc = 1, e = kr;
    if (kr > 5) {
        inc = kr / 6;
        e = kr - (kr % inc);
    }
    float sx = 0, sy = 0, sz = 0;
    for (int ky = -e; ky <= e; ky++)
        for (int kx = -e; kx <= e; kx++) {
            if (x + kx < 0 || x + kx >= width || y + ky < 0 || y + ky >= height)
                continue;
            int ksq = kx * kx + ky * ky;
            if (ksq > krsq || (kx == 0 && ky == 0))
                continue;
            float klen = (float)sqrt((double)(float)ksq);
            float hn = heights[(y + ky) * width + x + kx];
            float df = (float)((sqrt((double)hn) - sqrt((double)hc)) * (double)vals.slopeDepthRound2);
            float lnx = ((float)kx * -df) / klen;
            float lny = ((float)ky * -df) / klen;
            float lnz = klen;
            float tmpLen = (float)sqrt((double)((lnx * lnx + lny * lny) + lnz * lnz));
            sx += lnx / tmpLen;
            sy += lny / tmpLen;
            sz += lnz / tmpLen;
        }
    float tmpLen = (float)sqrt((double)((sx * sx + sy * sy) + sz * sz));
    nx = sx / tmpLen;
    ny = sy / tmpLen;
    if (along) {
        along[0] = sx;
        along[1] = sy;
        along[2] = sz;
    }
}

SurfaceNormal referenceNormal(const std::vector<float>& heights, int width, int height, int x, int y,
                              const OrmoloVals& vals)
{
    SurfaceNormal normal;
    float along[3];
    if (vals.slopeType == SLOPE_ROUND2)
        referenceRound2Normal(heights, width, height, x, y, vals, normal.nx, normal.ny, along);
    else
        referenceFlatRoundNormal(heights, width, height, x, y, vals, normal.nx, normal.ny, along);
    normal.alongX = along[0];
    normal.alongY = along[1];
    normal.alongZ = along[2];
    return normal;
}

namespace {

// Nearest border pixel for samples outside the probe.
const uint8_t* probeAt(const ProbeImage& probe, int col, int row)
{
    if (col < 0) col = 0;
    if (col > probe.width - 1) col = probe.width - 1;
    if (row < 0) row = 0;
    if (row > probe.height - 1) row = probe.height - 1;
    return &probe.rgba[(row * probe.width + col) * 4];
}

void referenceProbePixel(const ProbeImage& probe, bool inside, float nx, float ny, double specularity,
                         uint64_t& draw, uint8_t* px, int channels)
{
    unsigned char pix[4];
    if (!inside) {
        memcpy(pix, probeAt(probe, 0, 0), 4);
    } else {
        int lix = (int)(((double)(probe.width - 1) * 0.5) * ((double)nx * 0.99 + 1.0));
        int liy = (int)(((double)(probe.height - 1) * 0.5) * ((double)ny * 0.99 + 1.0));
        if (specularity < 1.0) {
            const double k = 1.5707963;
            double s = specularity;
            double a = ((double)probe.width * (1 - s * s)) * cos((double)nx * k);
            double b = ((1 - s * s) * (double)probe.height) * cos((double)ny * k);
            int radius = a < b ? (int)a : (int)b;
            int pixAvg[4] = {0, 0, 0, 0};
            for (int i = 0; i < 8; i++) {
                int r1 = randomDrawAt(draw++);
                int r2 = randomDrawAt(draw++);
                double u1 = (double)((float)r1 / 32767.0f);
                double u2 = (double)((float)r2 / 32767.0f);
                int col = (int)((double)lix + (u2 - 0.5) * (double)radius);
                int row = (int)((double)liy + (u1 - 0.5) * (double)radius);
                const uint8_t* sample = probeAt(probe, col, row);
                for (int c = 0; c < 4; c++)
                    pixAvg[c] += sample[c];
            }
            for (int c = 0; c < 4; c++)
                pix[c] = (unsigned char)(pixAvg[c] >> 3);
        } else {
            memcpy(pix, probeAt(probe, lix, liy), 4);
        }
    }
    px[0] = pix[0];
    px[1] = pix[1];
    px[2] = pix[2];
    if (channels == 4)
        px[3] = probe.hasAlpha ? pix[3] : 255;
}

} // namespace

std::vector<uint8_t> referenceRender(const std::vector<uint8_t>& pixels, int width, int height,
                                     int channels, const OrmoloVals& vals, const ProbeImage* probe,
                                     uint64_t firstDraw)
{
    std::vector<uint8_t> out = pixels;
    if (width == 0 || height == 0)
        return out;
    std::vector<float> heights = referenceHeightField(pixels, width, height, channels, vals);
    uint64_t draw = firstDraw;
    for (int y = 1; y < height - 1; y++)
        for (int x = 1; x < width - 1; x++) {
            uint8_t* px = &out[(y * width + x) * channels];
            const bool inside = heights[y * width + x] > 0;
            float nx = 0, ny = 0;
            if (inside) {
                if (vals.slopeType == SLOPE_ROUND2)
                    referenceRound2Normal(heights, width, height, x, y, vals, nx, ny);
                else
                    referenceFlatRoundNormal(heights, width, height, x, y, vals, nx, ny);
                // Depths far outside the dialog's range overflow the facet
                // or slope sums into NaN components. A NaN has no truncation
                // to an integer (converting it is undefined), so both
                // encodings count it as 0, as the renderer does.
                if (nx != nx)
                    nx = 0;
                if (ny != ny)
                    ny = 0;
            }
            if (probe) {
                referenceProbePixel(*probe, inside, nx, ny, vals.specularity, draw, px, channels);
                continue;
            }
            if (inside) {
                px[0] = (uint8_t)((int)(nx * 127) + 127);
                px[1] = (uint8_t)((int)(ny * 127) + 127);
                px[2] = (uint8_t)((int)((1 - sqrt((double)(nx * nx + ny * ny))) * 127) + 127);
            } else {
                px[0] = 127;
                px[1] = 127;
                px[2] = 255;
            }
            if (channels == 4)
                px[3] = 255;
        }
    return out;
}
