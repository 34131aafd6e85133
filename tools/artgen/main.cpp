// artgen OUTPUT_DIR [PREVIEW_DIR]
//
// Draws the editor's six bitmaps into OUTPUT_DIR as bitmap_1024.bmp to bitmap_1029.bmp, again at
// 1.5 times the size as bitmap_1124.bmp to bitmap_1129.bmp and at twice the size as
// bitmap_1224.bmp to bitmap_1229.bmp, and its text face as the glyph table
// editor_glyphs.cpp. The output depends only on this program, FreeType and the font
// files, so running it again gives the same bytes. With PREVIEW_DIR it also writes PNG
// previews there: the composed editor window and enlarged copies of each bitmap.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "art.h"
#include "bmp_file.h"
#include "glyph_table.h"
#include "preview.h"

namespace {

using namespace artgen;

// The art of scale 1.5 has the ids of scale 1 plus 100, that of scale 2 plus 200.
std::string bitmapPath(const std::string& dir, int id, double scale) {
    return dir + "/bitmap_" + std::to_string(id + static_cast<int>(200 * (scale - 1))) + ".bmp";
}

// The art is all greys: at the larger scales every bitmap is stored with 8 bits a pixel, a
// third of the size in every binary. Scale 1 keeps its files as they were.
bool writeScaledBitmaps(const Art& art, const std::string& dir, double scale) {
    return writeBmp8Grey(art.background, bitmapPath(dir, 1024, scale)) &&
           writeBmp8Grey(art.switchStrip, bitmapPath(dir, 1025, scale)) &&
           writeBmp8Grey(art.knobBody, bitmapPath(dir, 1026, scale)) &&
           writeBmp8Grey(art.knobHandle, bitmapPath(dir, 1027, scale)) &&
           writeBmp8Grey(art.smallKnobBody, bitmapPath(dir, 1028, scale)) &&
           writeBmp8Grey(art.smallKnobHandle, bitmapPath(dir, 1029, scale));
}

bool writeBitmaps(const Art& art, const std::string& dir) {
    return writeBmp24(art.background, bitmapPath(dir, 1024, 1)) && writeBmp24(art.switchStrip, bitmapPath(dir, 1025, 1)) &&
           writeBmp24(art.knobBody, bitmapPath(dir, 1026, 1)) && writeBmp8Grey(art.knobHandle, bitmapPath(dir, 1027, 1)) &&
           writeBmp24(art.smallKnobBody, bitmapPath(dir, 1028, 1)) &&
           writeBmp8Grey(art.smallKnobHandle, bitmapPath(dir, 1029, 1));
}

// The sizes the editor draws its text at, at scales 1, 1.5 and 2: 9 pixels for captions and
// value boxes, 12 for the message box and the toolkit's default text. At 1.5, 13.5 rounds up
// to 14 as the editor rounds it, and 12 becomes 18.
const std::vector<int> kTextSizes{9, 12, 14, 18, 24};

bool writeGlyphTable(const std::string& dir) {
    std::ofstream file(dir + "/editor_glyphs.cpp", std::ios::binary);
    file << glyphTableSource(ARTGEN_CAPTION_FONT, kTextSizes);
    return static_cast<bool>(file);
}

bool writePreviews(const Art& art, const std::string& dir) {
    return writePng(composeEditor(art, ARTGEN_CAPTION_FONT), dir + "/editor.png", 2) &&
           writePng(art.background, dir + "/bitmap_1024.png", 2) && writePng(art.switchStrip, dir + "/bitmap_1025.png", 8) &&
           writePng(art.knobBody, dir + "/bitmap_1026.png", 8) && writePng(art.knobHandle, dir + "/bitmap_1027.png", 32) &&
           writePng(art.smallKnobBody, dir + "/bitmap_1028.png", 8) &&
           writePng(art.smallKnobHandle, dir + "/bitmap_1029.png", 32);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: artgen OUTPUT_DIR [PREVIEW_DIR]\n");
        return 2;
    }
    try {
        const FontFiles fonts{ARTGEN_HEADING_FONT, ARTGEN_NAME_FONT};
        const Art art = drawArt(fonts, 1);
        for (int i = 1; i < argc; ++i) std::filesystem::create_directories(argv[i]);
        if (!writeBitmaps(art, argv[1]) || !writeScaledBitmaps(drawArt(fonts, 1.5), argv[1], 1.5) ||
            !writeScaledBitmaps(drawArt(fonts, 2), argv[1], 2) ||
            !writeGlyphTable(argv[1])) {
            std::fprintf(stderr, "artgen: cannot write the bitmaps or the glyph table into %s\n", argv[1]);
            return 1;
        }
        if (argc == 3 && !writePreviews(art, argv[2])) {
            std::fprintf(stderr, "artgen: cannot write the previews into %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
