#include "platform/software/png_writer.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <png.h>

namespace platform::software {

namespace {

// libpng reports errors by long-jumping back to the setjmp here; the row buffer belongs to
// the caller, so nothing with a destructor is skipped.
bool encode(png_structp png, png_infop info, std::FILE* file, const SoftwareImage& image, std::vector<png_byte>& row) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const ColourRef c = image.at(x, y);
            row[3 * x] = static_cast<png_byte>(c & 0xFF);
            row[3 * x + 1] = static_cast<png_byte>((c >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<png_byte>((c >> 16) & 0xFF);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool writePng(const SoftwareImage& image, const std::string& path) {
    std::vector<png_byte> row(static_cast<std::size_t>(image.width()) * 3);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && encode(png, info, file, image, row);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return std::fclose(file) == 0 && written;
}

}  // namespace platform::software
