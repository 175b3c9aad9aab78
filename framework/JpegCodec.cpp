#include "framework/JpegCodec.h"

#include "framework/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

namespace jpeg_codec {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub; // first, so libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void OnMessage(j_common_ptr, int) {}

void InstallErrors(ErrorManager& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = &OnError;
    errors.pub.emit_message = &OnMessage;
    errors.message[0] = '\0';
}

// A destination that grows a malloc'd buffer, which this file frees on every path (the
// library's own memory destination may leave a freed pointer behind after an error).
struct GrowingDestination {
    jpeg_destination_mgr pub;
    JOCTET* buffer;
    size_t capacity;
    size_t used;
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<GrowingDestination*>(cinfo->dest);
    dest->capacity = 64 * 1024;
    dest->buffer = static_cast<JOCTET*>(std::malloc(dest->capacity));
    if (dest->buffer == nullptr) {
        cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
        (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
    }
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean GrowDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<GrowingDestination*>(cinfo->dest);
    const size_t grown = dest->capacity * 2;
    auto* bigger = static_cast<JOCTET*>(std::realloc(dest->buffer, grown));
    if (bigger == nullptr) {
        cinfo->err->msg_code = JERR_OUT_OF_MEMORY;
        (*cinfo->err->error_exit)(reinterpret_cast<j_common_ptr>(cinfo));
    }
    dest->buffer = bigger;
    dest->pub.next_output_byte = bigger + dest->capacity;
    dest->pub.free_in_buffer = grown - dest->capacity;
    dest->capacity = grown;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<GrowingDestination*>(cinfo->dest);
    dest->used = dest->capacity - dest->pub.free_in_buffer;
}

// The functions below hold no object with a destructor between setjmp and a possible
// longjmp, so jumping back skips none; what libjpeg changes lives in the caller's frame
// (passed by reference), so its values are still valid after the jump. They return false
// with `errors.message` set.

bool RunEncode(const BYTE* rgb, int width, int height, int quality, bool progressive, jpeg_compress_struct& cinfo,
               GrowingDestination& dest, ErrorManager& errors)
{
    cinfo.err = &errors.pub;
    dest.buffer = nullptr;
    dest.capacity = 0;
    dest.used = 0;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    dest.pub.init_destination = &InitDestination;
    dest.pub.empty_output_buffer = &GrowDestination;
    dest.pub.term_destination = &TermDestination;
    cinfo.dest = &dest.pub;
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    cinfo.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<BYTE*>(rgb + rowBytes * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool RunReadHeader(const BYTE* data, size_t size, Header& header, jpeg_decompress_struct& cinfo,
                   ErrorManager& errors)
{
    cinfo.err = &errors.pub;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    header.Width = static_cast<int>(cinfo.image_width);
    header.Height = static_cast<int>(cinfo.image_height);
    header.Components = cinfo.num_components;
    header.Progressive = cinfo.progressive_mode != 0;
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// `out` has room for width x height x 3 bytes, the size ReadHeader reported.
bool RunDecode(const BYTE* data, size_t size, bool fast, bool grayscale, BYTE* out, int width,
               jpeg_decompress_struct& cinfo, ErrorManager& errors)
{
    cinfo.err = &errors.pub;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
    cinfo.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    cinfo.do_fancy_upsampling = fast ? FALSE : TRUE;
    jpeg_start_decompress(&cinfo);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    while (cinfo.output_scanline < cinfo.output_height) {
        BYTE* target = out + rowBytes * cinfo.output_scanline;
        JSAMPROW row = target;
        jpeg_read_scanlines(&cinfo, &row, 1);
        // Grey rows come one byte a pixel at the start of the row: spread them from the
        // end so no byte is overwritten before it is read.
        if (grayscale) {
            for (int x = width - 1; x >= 0; --x)
                target[3 * x] = target[3 * x + 1] = target[3 * x + 2] = target[x];
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

[[noreturn]] void Fail(const ErrorManager& errors)
{
    throw EJPEG(std::string("Erreur JPEG : ") + errors.message);
}

} // namespace

std::vector<BYTE> Encode(const BYTE* rgb, int width, int height, const EncodeSettings& settings)
{
    if (width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        throw EJPEG("Erreur JPEG : dimensions " + std::to_string(width) + " x " + std::to_string(height));
    ErrorManager errors;
    InstallErrors(errors);
    GrowingDestination dest{};
    jpeg_compress_struct cinfo{};
    const bool done = RunEncode(rgb, width, height, settings.Quality, settings.Progressive, cinfo, dest, errors);
    std::vector<BYTE> bytes;
    try {
        if (done)
            bytes.assign(dest.buffer, dest.buffer + dest.used);
    } catch (...) {
        std::free(dest.buffer);
        throw;
    }
    std::free(dest.buffer);
    if (!done)
        Fail(errors);
    return bytes;
}

Header ReadHeader(const std::vector<BYTE>& data)
{
    if (data.empty())
        throw EJPEG("Erreur JPEG : aucune donnée");
    ErrorManager errors;
    InstallErrors(errors);
    Header header;
    jpeg_decompress_struct cinfo{};
    if (!RunReadHeader(data.data(), data.size(), header, cinfo, errors))
        Fail(errors);
    return header;
}

std::vector<BYTE> Decode(const std::vector<BYTE>& data, bool fast, bool grayscale, Header& header)
{
    header = ReadHeader(data);
    // The bitmaps that receive pictures stop at 2^27 pixels; refuse before allocating.
    if (static_cast<long long>(header.Width) * header.Height > (1LL << 27))
        throw EJPEG("Erreur JPEG : image de " + std::to_string(header.Width) + " x " + std::to_string(header.Height) +
                    " trop grande");
    std::vector<BYTE> rgb(static_cast<size_t>(header.Width) * static_cast<size_t>(header.Height) * 3);
    ErrorManager errors;
    InstallErrors(errors);
    jpeg_decompress_struct cinfo{};
    if (!RunDecode(data.data(), data.size(), fast, grayscale, rgb.data(), header.Width, cinfo, errors))
        Fail(errors);
    return rgb;
}

} // namespace jpeg_codec
