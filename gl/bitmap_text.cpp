#include "gl/bitmap_text.h"

#include <GL/freeglut.h>
#include <dlfcn.h>

#include <cstring>

namespace {

// How freeglut lays out a bitmap font (its SFG_Font): each glyph is its
// advance in pixels followed by `height` rows of packed bits, bottom row
// first, drawn with its origin at (xorig, yorig).
struct GlutBitmapFont {
    const char* name;
    int quantity;
    int height;
    const GLubyte** characters;
    float xorig, yorig;
};

// freeglut exports the font GLUT_BITMAP_HELVETICA_18 stands for under this
// name; looked up at run time, so that a GLUT without it leaves only this
// way of drawing unavailable.
constexpr char kFontSymbol[] = "fgFontHelvetica18";
constexpr char kFontName[] = "-adobe-helvetica-medium-r-normal--18-";

const GlutBitmapFont* glutHelvetica18(std::string* why) {
    const auto* font = static_cast<const GlutBitmapFont*>(dlsym(RTLD_DEFAULT, kFontSymbol));
    if (font == nullptr) {
        *why = std::string("the GLUT library has no ") + kFontSymbol;
        return nullptr;
    }
    // Checked before use: another layout would be read as garbage.
    if (font->name == nullptr || std::strncmp(font->name, kFontName, sizeof kFontName - 1) != 0 ||
        font->quantity != 256 || font->height < 1 || font->height > 64 ||
        font->characters == nullptr) {
        *why = std::string("the GLUT library's ") + kFontSymbol + " is not laid out as expected";
        return nullptr;
    }
    return font;
}

}  // namespace

bool glutGlyphsReachable(std::string* why) {
    return glutHelvetica18(why) != nullptr;
}

void drawGlutGlyphs(const char* text) {
    std::string why;
    const GlutBitmapFont* font = glutHelvetica18(&why);
    if (font == nullptr) return;
    for (const char* c = text; *c != '\0'; ++c) {
        const int character = *c;  // as glutBitmapCharacter(font, *c) receives it
        if (character < 1 || character > 255) continue;
        const GLubyte* face = font->characters[character];
        glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
        glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
        glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glBitmap(face[0], font->height, font->xorig, font->yorig, static_cast<float>(face[0]), 0.0f,
                 face + 1);
        glPopClientAttrib();
    }
}

void drawHelvetica18(const char* text) {
    if (!glutGet(GLUT_INIT_STATE)) {
        drawGlutGlyphs(text);
        return;
    }
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, *c);
    }
}
