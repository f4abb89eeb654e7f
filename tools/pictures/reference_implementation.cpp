#include "tools/pictures/reference_implementation.h"

#include "base/shown_text.h"
#include "examine/json_values.h"

std::string implementationText(const GlImplementation& gl) {
    const std::string how = gl.platform == "egl"   ? "off screen through EGL"
                            : gl.platform == "x11" ? "through GLX on the X display"
                                                   : "through " + escapedText(gl.platform);
    return escapedText(gl.renderer) + " from " + escapedText(gl.vendor) + ", OpenGL " +
           escapedText(gl.version) + ", " + how;
}

std::string implementationJsonMember(const GlImplementation& gl) {
    return "\"reference_implementation\": {\"vendor\": " + jsonText(gl.vendor) +
           ", \"renderer\": " + jsonText(gl.renderer) + ", \"version\": " + jsonText(gl.version) +
           ", \"platform\": " + jsonText(gl.platform) + "}";
}
