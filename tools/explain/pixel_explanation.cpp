#include "tools/explain/pixel_explanation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <type_traits>

#include "base/shown_text.h"
#include "tools/common/reference_implementation.h"

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string jsonNumber(float value) {
    return std::isfinite(value) ? number(value) : "null";
}

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

template <typename Number>
std::string jsonList(std::initializer_list<Number> values) {
    std::string text = "[";
    for (const Number& value : values) {
        if (text.size() > 1) text += ", ";
        if constexpr (std::is_floating_point_v<Number>) {
            text += jsonNumber(value);
        } else {
            text += std::to_string(value);
        }
    }
    return text + "]";
}

std::string jsonVec(const Vec3& v) {
    return jsonList({v.x, v.y, v.z});
}

std::string jsonRgb(const Color& c) {
    return jsonList({c.r, c.g, c.b});
}

std::string jsonBytes(const std::array<std::uint8_t, 3>& bytes) {
    return jsonList<int>({bytes[0], bytes[1], bytes[2]});
}

std::string textVec(const Vec3& v) {
    return "(" + number(v.x) + ", " + number(v.y) + ", " + number(v.z) + ")";
}

std::string textRgb(const Color& c) {
    return number(c.r) + " " + number(c.g) + " " + number(c.b);
}

std::string textBytes(const std::array<std::uint8_t, 3>& bytes) {
    return std::to_string(bytes[0]) + " " + std::to_string(bytes[1]) + " " +
           std::to_string(bytes[2]);
}

std::string objectLabel(const PixelStory& s, int object) {
    const std::size_t i = static_cast<std::size_t>(object);
    const std::string name = i < s.objectNames.size() ? " (" + s.objectNames[i] + ")" : "";
    return "object " + std::to_string(object) + name;
}

std::string termsJson(const ShadingTerms& terms) {
    std::string text = "{\"normal\": " + jsonVec(terms.normal) +
                       ", \"position\": " + jsonVec(terms.position) +
                       ", \"eye_direction\": " + jsonVec(terms.eyeDirection) +
                       ", \"ambient\": " + jsonRgb(terms.ambient) + ", \"lights\": [";
    for (std::size_t i = 0; i < terms.lights.size(); ++i) {
        const LightTerms& l = terms.lights[i];
        if (i > 0) text += ", ";
        text += "{\"light_color\": " + jsonRgb(l.lightColor) +
                ", \"direction\": " + jsonVec(l.direction) +
                ", \"diffuse_factor\": " + jsonNumber(l.diffuseFactor) +
                ", \"diffuse_part\": " + jsonRgb(l.diffusePart) +
                ", \"half_vector\": " + jsonVec(l.halfVector) +
                ", \"specular_base\": " + jsonNumber(l.specularBase) +
                ", \"specular_factor\": " + jsonNumber(l.specularFactor) +
                ", \"specular_part\": " + jsonRgb(l.specularPart) + "}";
    }
    return text + "]}";
}

std::string fragmentJson(const PixelStory& s, const StoryFragment& explained) {
    const Fragment& f = explained.fragment;
    const std::size_t object = static_cast<std::size_t>(f.object);
    std::string text = "{\"object\": " + std::to_string(f.object) + ", \"object_name\": " +
                       jsonText(object < s.objectNames.size() ? s.objectNames[object] : "") +
                       ", \"face\": " + std::to_string(f.face) +
                       ", \"span\": {\"left\": " + jsonNumber(f.spanLeft) +
                       ", \"right\": " + jsonNumber(f.spanRight) +
                       ", \"first_column\": " + std::to_string(f.firstColumn) +
                       ", \"end_column\": " + std::to_string(f.endColumn) +
                       "}, \"depth\": " + jsonNumber(f.depth) +
                       ", \"depth_before\": " + jsonNumber(f.depthBefore) +
                       ", \"passed\": " + jsonBool(f.passed) +
                       ", \"replaced\": " + jsonBool(explained.replaced);
    if (explained.terms) {
        text += ", \"color\": " + jsonRgb(explained.terms->color) +
                ", \"terms\": " + termsJson(*explained.terms);
    }
    return text + "}";
}

void appendTermsText(std::string& text, const ShadingTerms& terms) {
    text += "    renormalised normal   " + textVec(terms.normal) + "\n";
    text += "    world position        " + textVec(terms.position) + "\n";
    text += "    eye direction         " + textVec(terms.eyeDirection) + "\n";
    text += "    ambient (r g b)       " + textRgb(terms.ambient) + "\n";
    for (std::size_t i = 0; i < terms.lights.size(); ++i) {
        const LightTerms& l = terms.lights[i];
        text += "    light " + std::to_string(i) + " (colour " + textRgb(l.lightColor) + ")\n";
        text += "      direction           " + textVec(l.direction) + "\n";
        text += "      diffuse factor      " + number(l.diffuseFactor) + ", adds " +
                textRgb(l.diffusePart) + "\n";
        text += "      half vector         " + textVec(l.halfVector) + "\n";
        text += "      specular base       " + number(l.specularBase) + ", factor " +
                number(l.specularFactor) + ", adds " + textRgb(l.specularPart) + "\n";
    }
    text += "    colour (r g b)        " + textRgb(terms.color) + "\n";
}

}  // namespace

std::string coverage(const PixelExplanation& e) {
    const bool software = e.software.covered();
    const bool reference = e.reference && e.reference->windowDepth < 1.0f;
    if (software && reference) return "both";
    if (software) return "software_only";
    return reference ? "reference_only" : "neither";
}

std::array<int, 3> stepDifference(const PixelStory& software, const ReferencePixel& reference) {
    std::array<int, 3> steps{};
    for (int c = 0; c < 3; ++c)
        steps[c] = std::abs(software.windowBytes[c] - reference.windowBytes[c]);
    return steps;
}

std::string explanationText(const PixelExplanation& e, const GlImplementation& gl) {
    const PixelStory& s = e.software;
    std::string text = "pixel " + std::to_string(s.x) + ", " + std::to_string(s.y) + " of a " +
                       std::to_string(s.width) + " x " + std::to_string(s.height) +
                       " frame (column, row; row 0 at the bottom)\n\n";
    int passed = 0;
    for (const StoryFragment& f : s.fragments) passed += f.fragment.passed;
    text += "software renderer: " + std::to_string(s.fragments.size()) +
            " fragment(s) reached the depth test, " + std::to_string(passed) + " passed\n";
    for (std::size_t i = 0; i < s.fragments.size(); ++i) {
        const StoryFragment& explained = s.fragments[i];
        const Fragment& f = explained.fragment;
        text += "  fragment " + std::to_string(i + 1) + ": " + objectLabel(s, f.object) +
                ", face " + std::to_string(f.face) + "\n";
        text += "    span x " + number(f.spanLeft) + " to " + number(f.spanRight) +
                ", filling columns " + std::to_string(f.firstColumn) + " to " +
                std::to_string(f.endColumn - 1) + "\n";
        text += "    depth " + number(f.depth) + " tested against " + number(f.depthBefore) + ": " +
                (f.passed ? "passed" : "failed") + (explained.replaced ? ", later replaced" : "") +
                "\n";
        if (explained.terms) appendTermsText(text, *explained.terms);
    }
    text += "  stored colour (r g b a)  " + textRgb(s.color) + " " + number(s.color.a) +
            "\n  window bytes (r g b)     " + textBytes(s.windowBytes) +
            "\n  stored depth             " + number(s.depth) + "\n\n";

    if (!e.reference) {
        text += "reference renderer: not drawn, " + e.referenceMissing + "\n";
        text += "coverage: " + std::string(e.software.covered() ? "covered" : "not covered") +
                " by the software renderer; the reference is unknown\n";
        return text;
    }
    const ReferencePixel& r = *e.reference;
    text += "reference renderer (OpenGL):\n";
    text += "  drawn by                 " + implementationText(gl) + "\n";
    text += "  window bytes (r g b)     " + textBytes(r.windowBytes) + "\n";
    text += "  window depth             " + number(r.windowDepth) + "\n";
    text +=
        "  object drawn             " + (r.object < 0 ? "none" : objectLabel(s, r.object)) + "\n\n";
    const std::array<int, 3> steps = stepDifference(s, r);
    text += "coverage: " + coverage(e) + "\n";
    text += "step difference (r g b): " + std::to_string(steps[0]) + " " +
            std::to_string(steps[1]) + " " + std::to_string(steps[2]) + "\n";
    return text;
}

std::string explanationJson(const PixelExplanation& e, const GlImplementation& gl) {
    const PixelStory& s = e.software;
    std::string text = "{\"x\": " + std::to_string(s.x) + ", \"y\": " + std::to_string(s.y) +
                       ", \"width\": " + std::to_string(s.width) +
                       ", \"height\": " + std::to_string(s.height) +
                       ", \"software\": {\"fragments\": [";
    for (std::size_t i = 0; i < s.fragments.size(); ++i) {
        if (i > 0) text += ", ";
        text += fragmentJson(s, s.fragments[i]);
    }
    text += "], \"color\": " + jsonList({s.color.r, s.color.g, s.color.b, s.color.a}) +
            ", \"depth\": " + jsonNumber(s.depth) +
            ", \"window_bytes\": " + jsonBytes(s.windowBytes) + "}, \"reference\": ";
    if (e.reference) {
        const ReferencePixel& r = *e.reference;
        text += "{\"window_bytes\": " + jsonBytes(r.windowBytes) +
                ", \"window_depth\": " + jsonNumber(r.windowDepth) +
                ", \"object\": " + (r.object < 0 ? "null" : std::to_string(r.object)) + "}";
        const std::array<int, 3> steps = stepDifference(s, r);
        text += ", \"coverage\": " + jsonText(coverage(e)) +
                ", \"step_difference\": " + jsonList<int>({steps[0], steps[1], steps[2]}) + ", " +
                implementationJsonMember(gl);
    } else {
        text += "null, \"reference_missing\": " + jsonText(e.referenceMissing) +
                ", \"coverage\": null, \"step_difference\": null, "
                "\"reference_implementation\": null";
    }
    return text + "}\n";
}
