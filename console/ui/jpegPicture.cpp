#include "jpegPicture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit; jump back instead of ending the program.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void OnError(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1); }

void Silent(j_common_ptr) {}

// The libjpeg calls live in functions with plain locals only, so that the jump back from an
// error skips no destructor. `pixels` null: read the size only.
bool Decode(const unsigned char *data, size_t size, int *width, int *height, unsigned char *pixels)
{
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.output_message = Silent;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX; // DIB pixel order
    jpeg_start_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    if (pixels) {
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels + static_cast<size_t>(cinfo.output_scanline) * *width * 4;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return true;
}

} // namespace

qvl::Bitmap DecodeJpeg(const unsigned char *data, size_t size)
{
    int width = 0, height = 0;
    if (!data || size == 0 || !Decode(data, size, &width, &height, nullptr) || width <= 0 || height <= 0)
        return {};
    void *bits = nullptr;
    qvl::Bitmap bmp = qvl::CreateDib32(width, height, &bits);
    if (!bmp || !Decode(data, size, &width, &height, static_cast<unsigned char *>(bits)))
        return {};
    GdiFlush();
    return bmp;
}

qvl::Bitmap LoadJpegResource(HMODULE module, int id)
{
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_RCDATA));
    if (!res)
        return {};
    HGLOBAL mem = LoadResource(module, res);
    const void *data = mem ? LockResource(mem) : nullptr;
    return DecodeJpeg(static_cast<const unsigned char *>(data), SizeofResource(module, res));
}
