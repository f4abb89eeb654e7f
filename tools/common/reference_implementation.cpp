#include "tools/common/reference_implementation.h"

#include "tools/common/shown_text.h"

namespace {

// What the implementation says about itself, escaped where it holds
// anything that could act on a terminal, without shown()'s quotes.
std::string plain(const std::string& text) {
    const std::string quoted = shown(text);
    return quoted.substr(1, quoted.size() - 2);
}

}  // namespace

std::string implementationText(const GlImplementation& gl) {
    const std::string how = gl.platform == "egl"   ? "off screen through EGL"
                            : gl.platform == "x11" ? "through GLX on the X display"
                                                   : "through " + plain(gl.platform);
    return plain(gl.renderer) + " from " + plain(gl.vendor) + ", OpenGL " + plain(gl.version) +
           ", " + how;
}

std::string implementationJsonMember(const GlImplementation& gl) {
    return "\"reference_implementation\": {\"vendor\": " + jsonText(gl.vendor) +
           ", \"renderer\": " + jsonText(gl.renderer) + ", \"version\": " + jsonText(gl.version) +
           ", \"platform\": " + jsonText(gl.platform) + "}";
}
