#include "cli/png_io.h"

#include <png.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "cli/quoted_name.h"
#include "cli/streams.h"

// libpng reports errors by longjmp. The functions that call setjmp hold no
// object with a destructor: buffers belong to their callers.

namespace {

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

// The file's own reading and writing, so that a message says why a read or
// write failed where libpng's would only say "Read Error" or "Write Error".
void readFromFile(png_structp png, png_bytep data, size_t length)
{
    FILE* file = static_cast<FILE*>(png_get_io_ptr(png));
    if (std::fread(data, 1, length, file) != length)
        png_error(png, std::ferror(file) ? std::strerror(errno) : "the file ends early");
}

void writeToFile(png_structp png, png_bytep data, size_t length)
{
    if (std::fwrite(data, 1, length, static_cast<FILE*>(png_get_io_ptr(png))) != length)
        png_error(png, std::strerror(errno));
}

void flushFile(png_structp png)
{
    if (std::fflush(static_cast<FILE*>(png_get_io_ptr(png))) != 0)
        png_error(png, std::strerror(errno));
}

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
    PngHeader size;
    bool interlaced = false;
    uint64_t storedBytes = 0;  // the filtered image data the file must decompress to
};

// A palette image may name entries beyond its palette, which PNG calls an
// error. GIMP 2.10 loads such a pixel with the colour of the last entry
// (and, with a tRNS chunk, the alpha of the index itself: opaque beyond the
// chunk's entries), where libpng would decode black. Giving every index that
// the bit depth can hold an entry, the last one repeated, decodes as GIMP
// does; the alpha already comes by index.
void repeatLastPaletteEntry(png_structp png, png_infop info, int bitDepth)
{
    png_colorp palette = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &palette, &count) || count <= 0)
        return;
    const int entries = 1 << bitDepth;
    png_color padded[PNG_MAX_PALETTE_LENGTH];
    std::copy_n(palette, count, padded);
    std::fill(padded + count, padded + entries, palette[count - 1]);
    png_set_PLTE(png, info, padded, entries);
}

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
    png_get_IHDR(png, info, &header.size.width, &header.size.height, &bitDepth, &colorType, &interlace,
                 nullptr, nullptr);
    header.interlaced = interlace != PNG_INTERLACE_NONE;
    header.storedBytes = uint64_t{header.size.height} * (png_get_rowbytes(png, info) + 1);
    // A 16-bit file becomes what GIMP 2.10 hands a plug-in for it: each
    // sample v rounded to the nearest 8-bit value, round(v / 257) (there
    // are no ties). libpng's scale_16 computes exactly that, after the
    // transparent colour of a tRNS chunk has been matched at full depth.
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        repeatLastPaletteEntry(png, info, bitDepth);
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    header.size.channels = png_get_channels(png, info);
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
    png_set_write_fn(png, file, writeToFile, flushFile);
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
// refusing it early avoids allocating for pixels that cannot be there. A
// pipe has no size to compare with: there only the memory check guards the
// allocation, and the rows decoded tell whether the data was complete.
bool fileCanHold(FILE* file, uint64_t storedBytes)
{
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode))
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

bool encodeLayout(FILE* file, const std::string& name, const PngLayout& layout, PngCompression compression,
                  const std::vector<PngText>& texts, std::string& error)
{
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
        ok = writeRows(png, info, file, layout, rows.data(), compression, chunks);
    }
    png_destroy_write_struct(&png, &info);
    if (!ok)
        error = "cannot write " + quotedName(name) + ": " + (message.text[0] ? message.text : "out of memory");
    return ok;
}

} // namespace

bool readPng(FILE* file, const std::string& name, Image& image, std::string& error, const HeaderCheck& check)
{
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        error = quotedName(name) + " is not a PNG file";
        return false;
    }
    PngMessage message;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, onPngError, onPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory reading " + quotedName(name);
        return false;
    }
    png_set_read_fn(png, file, readFromFile);
    png_set_sig_bytes(png, sizeof signature);
    png_set_read_status_fn(png, onRowRead);
    // The tool uses no chunk but the header, the palette, its transparency
    // and the image data. Every other one (text, colour profile, private
    // ones) is skipped as it is read: libpng would otherwise allocate a text
    // chunk at the length it claims, 2 GB in a file of a few bytes, and no
    // cap of its own (png_set_chunk_malloc_max) reaches text chunks.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    ReadHeader header;
    bool ok = readHeader(png, info, header);
    const PngHeader& size = header.size;
    if (ok && !fileCanHold(file, header.storedBytes)) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = quotedName(name) + " is truncated or corrupt: its header claims " + std::to_string(size.width) +
                " x " + std::to_string(size.height) + " pixels";
        return false;
    }
    if (ok && check && !check(size, error)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    const bool headerRead = ok;
    if (ok) {
        image.width = static_cast<int>(size.width);
        image.height = static_cast<int>(size.height);
        image.channels = size.channels;
        image.pixels.assign(static_cast<size_t>(image.width) * image.height * image.channels, 0);
        std::vector<png_bytep> rows = rowPointers(image.pixels.data(), image.width, image.height, image.channels);
        ok = readRows(png, info, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    // libpng may end the image data early without a word; the rows it
    // decoded tell.
    const png_uint_32 expectedRows = rowsToRead(size.width, size.height, header.interlaced);
    const std::string rowsRead = std::to_string(message.rowsRead) + " of " +
                                 std::to_string(expectedRows) + (header.interlaced ? " interlaced" : "") +
                                 " rows";
    if (!ok) {
        error = "cannot read " + quotedName(name) + ": " + message.text;
        if (headerRead && message.rowsRead < expectedRows)
            error += " after " + rowsRead;
        return false;
    }
    if (message.rowsRead < expectedRows) {
        error = "cannot read " + quotedName(name) + ": its image data ends after " + rowsRead;
        return false;
    }
    return true;
}

bool readPng(const std::string& path, Image& image, std::string& error, const HeaderCheck& check)
{
    const InputFile file = openInput(path, error);
    return file && readPng(file.get(), path, image, error, check);
}

bool encodePng(FILE* file, const std::string& name, const Image& image, PngCompression compression,
               std::string& error)
{
    return encodeLayout(file, name, {image.width, image.height, image.channels, 8, image.pixels.data()},
                        compression, {}, error);
}

bool encodePng(FILE* file, const std::string& name, const WideImage& image, PngCompression compression,
               const std::vector<PngText>& texts, std::string& error)
{
    return encodeLayout(file, name,
                        {image.width, image.height, image.channels, 16,
                         reinterpret_cast<const uint8_t*>(image.samples.data())},
                        compression, texts, error);
}

bool writePng(const std::string& path, const Image& image, std::string& error, PngCompression compression)
{
    OutputFile output;
    return openOutput(path, output, error) && encodePng(output.file, path, image, compression, error) &&
           finishOutputs({&output}, error);
}
