#include "tools/explain/pixel_explanation.h"

#include <cstdlib>

#include "base/shown_text.h"
#include "examine/json_values.h"
#include "examine/pixel_why.h"
#include "examine/story_json.h"
#include "raster/buffers/window_bytes.h"
#include "tools/pictures/reference_implementation.h"

namespace {

std::string textVec(const Vec3& v) {
    return "(" + nineDigits(v.x) + ", " + nineDigits(v.y) + ", " + nineDigits(v.z) + ")";
}

std::string textRgb(const Color& c) {
    return nineDigits(c.r) + " " + nineDigits(c.g) + " " + nineDigits(c.b);
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

void appendTermsText(std::string& text, const ShadingTerms& terms) {
    text += "    renormalised normal   " + textVec(terms.normal) + "\n";
    text += "    world position        " + textVec(terms.position) + "\n";
    text += "    eye direction         " + textVec(terms.eyeDirection) + "\n";
    text += "    ambient (r g b)       " + textRgb(terms.ambient) + "\n";
    for (std::size_t i = 0; i < terms.lights.size(); ++i) {
        const LightTerms& l = terms.lights[i];
        text += "    light " + std::to_string(i) + " (colour " + textRgb(l.lightColor) + ")\n";
        text += "      direction           " + textVec(l.direction) + "\n";
        text += "      diffuse factor      " + nineDigits(l.diffuseFactor) + ", term " +
                textRgb(l.diffusePart) + "\n";
        text += "      half vector         " + textVec(l.halfVector) + "\n";
        text += "      specular base       " + nineDigits(l.specularBase) + ", factor " +
                nineDigits(l.specularFactor) + ", term " + textRgb(l.specularPart) + "\n";
        text += "      adds (x colour)     " + textRgb(l.contribution) + "\n";
    }
    text += "    colour (r g b)        " + textRgb(terms.color) + "\n";
}

void appendWhyNotCoveredText(std::string& text, const PixelStory& s) {
    if (!s.fragments.empty()) return;
    if (s.nearestSpans.empty()) {
        text += "  no span on row " + std::to_string(s.y) + " comes near\n";
    }
    for (const RowSpan& r : s.nearestSpans) {
        text += "  nearest span on row " + std::to_string(s.y) + ": " + objectLabel(s, r.object) +
                ", face " + std::to_string(r.face) + ", x " + nineDigits(r.left) + " to " +
                nineDigits(r.right) + ", " +
                (r.endColumn > r.firstColumn ? "filling columns " + std::to_string(r.firstColumn) +
                                                   " to " + std::to_string(r.endColumn - 1)
                                             : std::string("filling no column")) +
                "\n";
    }
    if (s.centreDistance) {
        text += "  pixel centre " + nineDigits(*s.centreDistance) +
                " pixels from the nearest outline (negative outside)\n";
    }
}

void appendVertexStageText(std::string& text, const PixelStory& s) {
    const FaceVertexStage& v = *s.vertexStage;
    text +=
        "  vertex stage of " + objectLabel(s, v.object) + ", face " + std::to_string(v.face) + "\n";
    for (std::size_t i = 0; i < v.clipCorners.size(); ++i) {
        const Vec4& c = v.clipCorners[i];
        text += "    corner " + std::to_string(i) + ": clip (" + nineDigits(c.x) + ", " +
                nineDigits(c.y) + ", " + nineDigits(c.z) + ", " + nineDigits(c.w) + ")";
        if (i < v.screenCorners.size()) text += ", screen " + textVec(v.screenCorners[i]);
        text += "\n";
    }
    for (const EdgeAtRow& e : v.edgesOnRow) {
        text += "    edge at row " + std::to_string(s.y) + ": x " + nineDigits(e.x) + ", step " +
                nineDigits(e.dxdy) + " per row (rows from y " + nineDigits(e.yStart) + " to " +
                nineDigits(e.yEnd) + ")\n";
    }
}

std::array<int, 3> bytesDifference(const std::array<std::uint8_t, 3>& a,
                                   const std::array<std::uint8_t, 3>& b) {
    std::array<int, 3> steps{};
    for (int c = 0; c < 3; ++c) steps[c] = std::abs(a[c] - b[c]);
    return steps;
}

std::string textSteps(const std::array<int, 3>& steps) {
    return std::to_string(steps[0]) + " " + std::to_string(steps[1]) + " " +
           std::to_string(steps[2]);
}

std::string textWeights(const std::array<double, 3>& w) {
    return nineDigits(w[0]) + " " + nineDigits(w[1]) + " " + nineDigits(w[2]);
}

void appendModelText(std::string& text, const PixelExplanation& e) {
    const ReferenceModel& m = *e.model;
    const PixelStory& s = e.software;
    text += "reference model (the rules of --like-reference all):\n";
    if (m.object < 0) {
        text += "  no face reaches the screen\n\n";
        return;
    }
    text += "  " + std::string(m.covered ? "covered by " : "not covered; nearest is ") +
            objectLabel(s, m.object) + ", face " + std::to_string(m.face) + "\n";
    text += "  outline on the 1/256 grid ";
    for (const auto& corner : m.snappedCorners) {
        text += " (" + nineDigits(corner[0]) + ", " + nineDigits(corner[1]) + ")";
    }
    text += "\n  centre distance          " + nineDigits(m.centreDistance) +
            " pixels (positive inside)\n";
    text += "  fan triangle             corners " + std::to_string(m.triangle[0]) + " " +
            std::to_string(m.triangle[1]) + " " + std::to_string(m.triangle[2]) + "\n";
    for (int k = 0; k < 3; ++k) {
        const ModelCorner& c = m.corners[static_cast<std::size_t>(k)];
        text += "    corner " + std::to_string(c.index) + ": eye position " +
                textVec(c.eyePosition) + ", eye normal " + textVec(c.eyeNormal) + "\n";
        text +=
            "      lit colour (r g b a)  " + textRgb(c.color) + " " + nineDigits(c.color.a) + "\n";
    }
    text += "  weights on the screen    " + textWeights(m.screenWeights) + "\n";
    text += "  weights with 1/w         " + textWeights(m.weights) + "\n";
    const std::string background = m.covered ? "" : " (not covered: the background)";
    text += "  colour (r g b a)         " + textRgb(m.color) + " " + nineDigits(m.color.a) +
            background + "\n";
    text += "  window bytes (r g b)     " + textBytes(m.windowBytes) + background + "\n";
    if (e.reference) {
        text += "  step difference from the reference (r g b): " +
                textSteps(bytesDifference(m.windowBytes, e.reference->windowBytes)) + "\n";
    }
    text += "\n";
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
    std::string text = e.why + "\n\npixel " + std::to_string(s.x) + ", " + std::to_string(s.y) +
                       " of a " + std::to_string(s.width) + " x " + std::to_string(s.height) +
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
        text += "    span x " + nineDigits(f.spanLeft) + " to " + nineDigits(f.spanRight) +
                ", filling columns " + std::to_string(f.firstColumn) + " to " +
                std::to_string(f.endColumn - 1) + "\n";
        text += "    depth " + nineDigits(f.depth) + " tested against " +
                nineDigits(f.depthBefore) + ": " + (f.passed ? "passed" : "failed") +
                (explained.replaced ? ", later replaced" : "") + "\n";
        if (explained.terms) appendTermsText(text, *explained.terms);
    }
    appendWhyNotCoveredText(text, s);
    if (s.vertexStage) appendVertexStageText(text, s);
    text += "  stored colour (r g b a)  " + textRgb(s.color) + " " + nineDigits(s.color.a) +
            "\n  window bytes (r g b)     " + textBytes(s.windowBytes) +
            "\n  stored depth             " + nineDigits(s.depth) + " (device z; window depth " +
            nineDigits(windowDepthOf(s.depth)) + ")\n\n";

    if (e.model) appendModelText(text, e);
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
    text += "  window depth             " + nineDigits(r.windowDepth) + " (device z " +
            nineDigits(deviceZOf(r.windowDepth)) + ")\n";
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
    std::string text = "{\"why\": " + jsonText(e.why) +
                       ", \"settled_by\": " + settledByJson(e.settledBy) + ", " +
                       pixelStoryJsonMembers(s) + ", \"reference\": ";
    if (e.reference) {
        const ReferencePixel& r = *e.reference;
        const std::array<std::uint8_t, 3>& bytes = r.windowBytes;
        text += "{\"window_bytes\": " + jsonInts({bytes[0], bytes[1], bytes[2]}) +
                ", \"window_depth\": " + jsonNumber(r.windowDepth) +
                ", \"device_z\": " + jsonDouble(deviceZOf(r.windowDepth)) +
                ", \"object\": " + (r.object < 0 ? "null" : std::to_string(r.object)) + "}";
        const std::array<int, 3> steps = stepDifference(s, r);
        text += ", \"coverage\": " + jsonText(coverage(e)) +
                ", \"step_difference\": " + jsonInts({steps[0], steps[1], steps[2]}) + ", " +
                implementationJsonMember(gl);
    } else {
        text += "null, \"reference_missing\": " + jsonText(e.referenceMissing) +
                ", \"coverage\": null, \"step_difference\": null, "
                "\"reference_implementation\": null";
    }
    text += ", \"reference_model\": ";
    if (e.model) {
        text += referenceModelJson(*e.model, e.reference ? &e.reference->windowBytes : nullptr);
    } else {
        text += "null";
    }
    return text + "}\n";
}
