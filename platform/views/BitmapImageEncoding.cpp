#include "platform/views/BitmapImageEncoding.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace brevanton {

namespace {

// The representation's rows as 3 or 4 samples per pixel; for JPEG (`overWhite`)
// always 3, the colour composited over white by its alpha.
std::vector<uint8_t> packedSamples(const ImageRep& rep, bool keepAlpha, bool overWhite)
{
    const auto& rgba = rep.bitmapData();
    size_t pixels = static_cast<size_t>(rep.pixelsWide()) * static_cast<size_t>(rep.pixelsHigh());
    size_t channels = keepAlpha ? 4 : 3;
    std::vector<uint8_t> samples(pixels * channels);
    for (size_t pixel = 0; pixel < pixels; ++pixel) {
        const uint8_t* source = &rgba[pixel * 4];
        uint8_t* destination = &samples[pixel * channels];
        if (keepAlpha) {
            std::memcpy(destination, source, 4);
            continue;
        }
        for (size_t channel = 0; channel < 3; ++channel) {
            if (overWhite && rep.hasAlpha()) {
                unsigned alpha = source[3];
                destination[channel] = static_cast<uint8_t>((source[channel] * alpha + 255 * (255 - alpha) + 127) / 255);
            } else {
                destination[channel] = source[channel];
            }
        }
    }
    return samples;
}

// --- JPEG

struct JPEGErrorManager {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JPEGErrorManager*>(info->err)->jump, 1);
}

void jpegQuiet(j_common_ptr, int) { }

// Only plain C objects live in this frame: the library's failures jump back
// into it.
bool writeJPEG(const uint8_t* samples, unsigned width, unsigned height, int quality, bool progressive, unsigned char** output,
               unsigned long* outputSize)
{
    jpeg_compress_struct info;
    JPEGErrorManager errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegQuiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, output, outputSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples + static_cast<size_t>(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

std::optional<std::vector<uint8_t>> encodeJPEG(const ImageRep& rep, const BitmapImageProperties& properties)
{
    double factor = std::clamp(properties.compressionFactor.value_or(0.75), 0.0, 1.0);
    if (std::isnan(factor))
        factor = 0.75;
    // The library's scale starts at 1.
    int quality = std::max(1, static_cast<int>(std::lround(factor * 100)));
    auto samples = packedSamples(rep, false, true);
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    bool written = writeJPEG(samples.data(), static_cast<unsigned>(rep.pixelsWide()), static_cast<unsigned>(rep.pixelsHigh()), quality,
                             properties.progressive, &output, &outputSize);
    std::optional<std::vector<uint8_t>> data;
    if (written && output)
        data.emplace(output, output + outputSize);
    std::free(output);
    return data;
}

// --- PNG

void pngAppend(png_structp png, png_bytep bytes, png_size_t length)
{
    auto* data = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    data->insert(data->end(), bytes, bytes + length);
}

void pngFlush(png_structp) { }

void pngQuietWarning(png_structp, png_const_charp) { }

bool writePNG(const uint8_t* samples, unsigned width, unsigned height, bool alpha, std::vector<uint8_t>* data)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, pngQuietWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, data, pngAppend, pngFlush);
    png_set_IHDR(png, info, width, height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    size_t stride = static_cast<size_t>(width) * (alpha ? 4 : 3);
    for (unsigned row = 0; row < height; ++row)
        png_write_row(png, samples + row * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::optional<std::vector<uint8_t>> encodePNG(const ImageRep& rep)
{
    auto samples = packedSamples(rep, rep.hasAlpha(), false);
    std::vector<uint8_t> data;
    if (!writePNG(samples.data(), static_cast<unsigned>(rep.pixelsWide()), static_cast<unsigned>(rep.pixelsHigh()), rep.hasAlpha(), &data))
        return std::nullopt;
    return data;
}

// --- TIFF, written into a growing buffer through the library's client I/O

struct TIFFBuffer {
    std::vector<uint8_t> bytes;
    toff_t position { 0 };
};

tsize_t tiffRead(thandle_t, tdata_t, tsize_t) { return 0; }

tsize_t tiffWrite(thandle_t handle, tdata_t bytes, tsize_t size)
{
    auto& buffer = *static_cast<TIFFBuffer*>(handle);
    size_t end = static_cast<size_t>(buffer.position) + static_cast<size_t>(size);
    if (end > buffer.bytes.size())
        buffer.bytes.resize(end);
    std::memcpy(buffer.bytes.data() + buffer.position, bytes, static_cast<size_t>(size));
    buffer.position = end;
    return size;
}

toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto& buffer = *static_cast<TIFFBuffer*>(handle);
    switch (whence) {
    case SEEK_SET:
        buffer.position = offset;
        break;
    case SEEK_CUR:
        buffer.position += offset;
        break;
    case SEEK_END:
        buffer.position = buffer.bytes.size() + offset;
        break;
    }
    return buffer.position;
}

int tiffClose(thandle_t) { return 0; }
toff_t tiffSize(thandle_t handle) { return static_cast<TIFFBuffer*>(handle)->bytes.size(); }
int tiffMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void tiffUnmap(thandle_t, tdata_t, toff_t) { }

std::optional<std::vector<uint8_t>> encodeTIFF(const ImageRep& rep)
{
    bool alpha = rep.hasAlpha();
    auto samples = packedSamples(rep, alpha, false);
    TIFFBuffer buffer;
    // "m" keeps the library from mapping the file; the warnings of a
    // library used this way are of no use to a user.
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFClientOpen("image", "wm", &buffer, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize, tiffMap, tiffUnmap);
    if (!tiff)
        return std::nullopt;
    auto width = static_cast<uint32_t>(rep.pixelsWide());
    auto height = static_cast<uint32_t>(rep.pixelsHigh());
    uint16_t channels = alpha ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    if (alpha) {
        uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    size_t stride = static_cast<size_t>(width) * channels;
    bool written = true;
    for (uint32_t row = 0; row < height && written; ++row)
        written = TIFFWriteScanline(tiff, samples.data() + row * stride, row, 0) >= 0;
    written = written && TIFFWriteDirectory(tiff);
    TIFFClose(tiff);
    if (!written)
        return std::nullopt;
    return std::move(buffer.bytes);
}

} // namespace

std::optional<std::vector<uint8_t>> representationUsingType(const ImageRep& rep, BitmapImageFileType type, const BitmapImageProperties& properties)
{
    if (!rep.isBitmap() || rep.pixelsWide() <= 0 || rep.pixelsHigh() <= 0)
        return std::nullopt;
    switch (type) {
    case BitmapImageFileType::JPEG:
        return encodeJPEG(rep, properties);
    case BitmapImageFileType::PNG:
        return encodePNG(rep);
    case BitmapImageFileType::TIFF:
        return encodeTIFF(rep);
    }
    return std::nullopt;
}

} // namespace brevanton
