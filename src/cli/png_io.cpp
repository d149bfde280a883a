#include "cli/png_io.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/quoted_name.h"
#include "cli/temporary_file.h"

// libpng reports errors by longjmp. The functions that call setjmp hold no
// object with a destructor: buffers belong to their callers.

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// What the libpng callbacks leave for the caller: the error message and how
// many rows were decoded.
struct PngMessage {
    char text[200] = "";
    png_uint_32 rowsRead = 0;
};

void onPngError(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<PngMessage*>(png_get_error_ptr(png));
    std::snprintf(sink->text, sizeof sink->text, "%s", message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void onRowRead(png_structp png, png_uint_32, int)
{
    ++static_cast<PngMessage*>(png_get_error_ptr(png))->rowsRead;
}

// The rows libpng decodes for a whole image: `height`, or for an interlaced
// one the rows of the seven passes that hold any pixel.
png_uint_32 rowsToRead(png_uint_32 width, png_uint_32 height, bool interlaced)
{
    if (!interlaced)
        return height;
    png_uint_32 rows = 0;
    for (int pass = 0; pass < 7; ++pass)
        if (PNG_PASS_COLS(width, pass) > 0)
            rows += PNG_PASS_ROWS(height, pass);
    return rows;
}

struct ReadHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int channels = 0;
    bool interlaced = false;
    uint64_t storedBytes = 0;  // the filtered image data the file must decompress to
};

// Reads the header and sets up expansion to 8-bit RGB or RGBA. Stored values
// are kept as they are: a gamma chunk (or a colour profile) is not applied.
// GIMP does not apply it to the values it hands a plug-in either, and this
// is what keeps the tool's bytes equal to GIMP's render of the same file.
bool readHeader(png_structp png, png_infop info, ReadHeader& header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &header.width, &header.height, &bitDepth, &colorType, &interlace, nullptr,
                 nullptr);
    header.interlaced = interlace != PNG_INTERLACE_NONE;
    header.storedBytes = uint64_t{header.height} * (png_get_rowbytes(png, info) + 1);
    // A 16-bit file becomes what GIMP 2.10 hands a plug-in for it: each
    // sample v rounded to the nearest 8-bit value, round(v / 257) (there
    // are no ties). libpng's scale_16 computes exactly that, after the
    // transparent colour of a tRNS chunk has been matched at full depth.
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header.channels = png_get_channels(png, info);
    return true;
}

bool readRows(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

// libpng's own choice, trying five filters on every row and deflating at
// zlib's default level, spends more time than the renderer on big normal
// maps. The Up filter at level 4 writes them three to four times as fast
// in files a few per cent larger; level 9 with every filter tried gives
// the smallest files at about four times libpng's own default's time, or
// twelve to fifteen times that of the Up filter at level 4.
void setCompression(png_structp png, PngCompression compression)
{
    if (compression == PngCompression::fast) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
        png_set_compression_level(png, 4);
    } else {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
        png_set_compression_level(png, 9);
    }
}

// What the writer needs to know of an image, whatever its sample type.
struct PngLayout {
    int width;
    int height;
    int channels;  // 1, 3 or 4
    int bitDepth;  // 8 or 16, samples in the machine's byte order
    const uint8_t* samples;
};

int colorTypeOf(int channels)
{
    switch (channels) {
    case 1:
        return PNG_COLOR_TYPE_GRAY;
    case 4:
        return PNG_COLOR_TYPE_RGB_ALPHA;
    default:
        return PNG_COLOR_TYPE_RGB;
    }
}

bool writeRows(png_structp png, png_infop info, FILE* file, const PngLayout& layout, png_bytepp rows,
               PngCompression compression, std::vector<png_text>& texts)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    setCompression(png, compression);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, colorTypeOf(layout.channels),
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!texts.empty())
        png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
    png_write_info(png, info);
    // PNG stores 16-bit samples most significant byte first.
    const uint16_t probe = 1;
    if (layout.bitDepth == 16 && *reinterpret_cast<const uint8_t*>(&probe) == 1)
        png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

// Deflate expands its input at most 1032-fold, so a header that claims more
// image data than the file could hold belongs to a truncated or forged file;
// refusing it early avoids allocating for pixels that cannot be there.
bool fileCanHold(FILE* file, uint64_t storedBytes)
{
    struct stat status;
    if (fstat(fileno(file), &status) != 0)
        return true;
    return storedBytes <= static_cast<uint64_t>(status.st_size) * 1100 + 65536;
}

std::vector<png_bytep> rowPointers(uint8_t* pixels, int width, int height, int bytesPerPixel)
{
    std::vector<png_bytep> rows(height);
    const size_t stride = static_cast<size_t>(width) * bytesPerPixel;
    for (int y = 0; y < height; ++y)
        rows[y] = pixels + y * stride;
    return rows;
}

bool stageLayout(const std::string& path, const PngLayout& layout, PngCompression compression,
                 const std::vector<PngText>& texts, StagedPng& staged, std::string& error)
{
    std::string temporary;
    File file(createTemporaryBeside(path, temporary));
    if (!file) {
        error = "cannot write " + quotedName(path) + ": " + std::strerror(errno);
        return false;
    }
    std::vector<png_text> chunks(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<char*>(texts[i].keyword.c_str());
        chunks[i].text = const_cast<char*>(texts[i].text.c_str());
    }
    PngMessage message;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr;
    if (ok) {
        std::vector<png_bytep> rows = rowPointers(const_cast<uint8_t*>(layout.samples), layout.width, layout.height,
                                                  layout.channels * layout.bitDepth / 8);
        ok = writeRows(png, info, file.get(), layout, rows.data(), compression, chunks);
    }
    png_destroy_write_struct(&png, &info);
    ok = std::fclose(file.release()) == 0 && ok;
    if (ok) {
        staged = {path, temporary};
        return true;
    }
    error = "cannot write " + quotedName(path) + (message.text[0] ? std::string(": ") + message.text : "");
    unlink(temporary.c_str());
    return false;
}

} // namespace

bool readPng(const std::string& path, Image& image, std::string& error)
{
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + quotedName(path) + ": " + std::strerror(errno);
        return false;
    }
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        error = quotedName(path) + " is not a PNG file";
        return false;
    }
    PngMessage message;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory reading " + quotedName(path);
        return false;
    }
    png_init_io(png, file.get());
    png_set_sig_bytes(png, sizeof signature);
    png_set_read_status_fn(png, onRowRead);

    ReadHeader header;
    bool ok = readHeader(png, info, header);
    if (ok && !fileCanHold(file.get(), header.storedBytes)) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = quotedName(path) + " is truncated or corrupt: its header claims " +
                std::to_string(header.width) + " x " + std::to_string(header.height) + " pixels";
        return false;
    }
    const bool headerRead = ok;
    if (ok) {
        image.width = static_cast<int>(header.width);
        image.height = static_cast<int>(header.height);
        image.channels = header.channels;
        image.pixels.assign(static_cast<size_t>(image.width) * image.height * image.channels, 0);
        std::vector<png_bytep> rows = rowPointers(image.pixels.data(), image.width, image.height, image.channels);
        ok = readRows(png, info, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    // libpng may end the image data early without a word; the rows it
    // decoded tell.
    const png_uint_32 expectedRows = rowsToRead(header.width, header.height, header.interlaced);
    const std::string rowsRead = std::to_string(message.rowsRead) + " of " +
                                 std::to_string(expectedRows) + (header.interlaced ? " interlaced" : "") +
                                 " rows";
    if (!ok) {
        error = "cannot read " + quotedName(path) + ": " + message.text;
        if (headerRead && message.rowsRead < expectedRows)
            error += " after " + rowsRead;
        return false;
    }
    if (message.rowsRead < expectedRows) {
        error = "cannot read " + quotedName(path) + ": its image data ends after " + rowsRead;
        return false;
    }
    return true;
}

bool stagePng(const std::string& path, const Image& image, PngCompression compression, StagedPng& staged,
              std::string& error)
{
    return stageLayout(path, {image.width, image.height, image.channels, 8, image.pixels.data()}, compression, {},
                       staged, error);
}

bool stagePng(const std::string& path, const WideImage& image, PngCompression compression,
              const std::vector<PngText>& texts, StagedPng& staged, std::string& error)
{
    return stageLayout(path,
                       {image.width, image.height, image.channels, 16,
                        reinterpret_cast<const uint8_t*>(image.samples.data())},
                       compression, texts, staged, error);
}

bool commitPngs(const std::vector<StagedPng>& files, std::string& error)
{
    for (size_t i = 0; i < files.size(); ++i)
        if (std::rename(files[i].temporaryPath.c_str(), files[i].path.c_str()) != 0) {
            error = "cannot write " + quotedName(files[i].path);
            discardPngs({files.begin() + i, files.end()});
            return false;
        }
    return true;
}

void discardPngs(const std::vector<StagedPng>& files)
{
    for (const StagedPng& file : files)
        unlink(file.temporaryPath.c_str());
}

bool writePng(const std::string& path, const Image& image, std::string& error, PngCompression compression)
{
    StagedPng staged;
    return stagePng(path, image, compression, staged, error) && commitPngs({staged}, error);
}
