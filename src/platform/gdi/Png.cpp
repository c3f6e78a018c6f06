// PNG files of surfaces, through libpng.

#include "platform/gdi/Surface.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace platform::gdi {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes the rows; false when libpng reports an error.
bool WriteRows(std::FILE* f, const Surface& surface, const RECT& part)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    const int width = part.right - part.left;
    const int height = part.bottom - part.top;
    // Allocated before setjmp so that a longjmp back cannot skip its release.
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = part.top; y < part.bottom; ++y) {
        const std::uint32_t* src = surface.Row(y) + part.left;
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<png_byte>(src[x] >> 16);
            row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
            row[3 * x + 2] = static_cast<png_byte>(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool SavePng(const Surface& surface, const char* path, const RECT* part)
{
    if (path == nullptr || *path == '\0') {
        return false;
    }
    RECT r{0, 0, surface.Width(), surface.Height()};
    if (part != nullptr) {
        r = RECT{std::max(part->left, r.left), std::max(part->top, r.top), std::min(part->right, r.right),
                 std::min(part->bottom, r.bottom)};
    }
    if (r.right <= r.left || r.bottom <= r.top) {
        return false;
    }
    const std::string temp = std::string(path) + ".part";
    bool ok = false;
    {
        File f(std::fopen(temp.c_str(), "wb"));
        if (!f) {
            return false;
        }
        ok = WriteRows(f.get(), surface, r) && std::fflush(f.get()) == 0 && std::ferror(f.get()) == 0;
    }
    if (ok && std::rename(temp.c_str(), path) == 0) {
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

bool LoadPng(const char* path, Surface& surface)
{
    if (path == nullptr) {
        return false;
    }
    File f(std::fopen(path, "rb"));
    if (!f) {
        return false;
    }
    png_byte signature[8];
    if (std::fread(signature, 1, 8, f.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, f.get());
    png_set_sig_bytes(png, 8);
    png_read_info(png, info);
    // Whatever the file holds becomes 8-bit RGB.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if (width == 0 || height == 0 || width > 65535 || height > 65535 || rowBytes != std::size_t{width} * 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] = pixels.data() + rowBytes * y;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    // Filled in place, so the surface's generation keeps counting upward.
    surface.Resize(static_cast<int>(width), static_cast<int>(height));
    for (png_uint_32 y = 0; y < height; ++y) {
        std::uint32_t* dst = surface.Row(static_cast<int>(y));
        const png_byte* src = rows[y];
        for (png_uint_32 x = 0; x < width; ++x) {
            dst[x] = (std::uint32_t{src[3 * x]} << 16) | (std::uint32_t{src[3 * x + 1]} << 8) | src[3 * x + 2];
        }
    }
    surface.Touch();
    return true;
}

} // namespace platform::gdi
