#include "examine/story_json.h"

#include <cstdlib>

#include "examine/json_values.h"
#include "raster/buffers/window_bytes.h"

namespace {

std::string jsonVec(const Vec3& v) {
    return jsonFloats({v.x, v.y, v.z});
}

std::string jsonRgb(const Color& c) {
    return jsonFloats({c.r, c.g, c.b});
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
                ", \"specular_part\": " + jsonRgb(l.specularPart) +
                ", \"contribution\": " + jsonRgb(l.contribution) + "}";
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

std::string nearestSpansJson(const std::vector<RowSpan>& spans) {
    std::string text = "[";
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const RowSpan& r = spans[i];
        if (i > 0) text += ", ";
        text += "{\"object\": " + std::to_string(r.object) +
                ", \"face\": " + std::to_string(r.face) + ", \"left\": " + jsonNumber(r.left) +
                ", \"right\": " + jsonNumber(r.right) +
                ", \"first_column\": " + std::to_string(r.firstColumn) +
                ", \"end_column\": " + std::to_string(r.endColumn) + "}";
    }
    return text + "]";
}

std::string vertexStageJson(const FaceVertexStage& v) {
    std::string text = "{\"object\": " + std::to_string(v.object) +
                       ", \"face\": " + std::to_string(v.face) + ", \"clip_corners\": [";
    for (std::size_t i = 0; i < v.clipCorners.size(); ++i) {
        const Vec4& c = v.clipCorners[i];
        text += (i > 0 ? ", " : "") + jsonFloats({c.x, c.y, c.z, c.w});
    }
    text += "], \"screen_corners\": [";
    for (std::size_t i = 0; i < v.screenCorners.size(); ++i) {
        text += (i > 0 ? ", " : "") + jsonVec(v.screenCorners[i]);
    }
    text += "], \"edges_on_row\": [";
    for (std::size_t i = 0; i < v.edgesOnRow.size(); ++i) {
        const EdgeAtRow& e = v.edgesOnRow[i];
        text += std::string(i > 0 ? ", " : "") + "{\"x\": " + jsonNumber(e.x) +
                ", \"dxdy\": " + jsonNumber(e.dxdy) + ", \"y_start\": " + jsonNumber(e.yStart) +
                ", \"y_end\": " + jsonNumber(e.yEnd) + "}";
    }
    return text + "]}";
}

}  // namespace

std::string pixelStoryJsonMembers(const PixelStory& s) {
    std::string text = "\"x\": " + std::to_string(s.x) + ", \"y\": " + std::to_string(s.y) +
                       ", \"width\": " + std::to_string(s.width) +
                       ", \"height\": " + std::to_string(s.height) +
                       ", \"software\": {\"fragments\": [";
    for (std::size_t i = 0; i < s.fragments.size(); ++i) {
        if (i > 0) text += ", ";
        text += fragmentJson(s, s.fragments[i]);
    }
    const std::array<std::uint8_t, 3>& bytes = s.windowBytes;
    return text + "], \"color\": " + jsonFloats({s.color.r, s.color.g, s.color.b, s.color.a}) +
           ", \"depth\": " + jsonNumber(s.depth) +
           ", \"window_bytes\": " + jsonInts({bytes[0], bytes[1], bytes[2]}) +
           ", \"window_depth\": " + jsonDouble(windowDepthOf(s.depth)) +
           ", \"nearest_spans\": " + nearestSpansJson(s.nearestSpans) +
           ", \"centre_distance\": " + (s.centreDistance ? jsonDouble(*s.centreDistance) : "null") +
           ", \"vertex_stage\": " + (s.vertexStage ? vertexStageJson(*s.vertexStage) : "null") +
           "}";
}

std::string referenceModelJson(const ReferenceModel& m,
                               const std::array<std::uint8_t, 3>* referenceBytes) {
    const bool face = m.object >= 0;
    std::string text = "{\"covered\": " + jsonBool(m.covered) +
                       ", \"object\": " + (face ? std::to_string(m.object) : "null") +
                       ", \"face\": " + (face ? std::to_string(m.face) : "null");
    if (!face) return text + "}";
    text += ", \"snapped_corners\": [";
    for (std::size_t i = 0; i < m.snappedCorners.size(); ++i) {
        if (i > 0) text += ", ";
        text += "[" + jsonDouble(m.snappedCorners[i][0]) + ", " +
                jsonDouble(m.snappedCorners[i][1]) + "]";
    }
    text += "], \"centre_distance\": " + jsonDouble(m.centreDistance) +
            ", \"triangle\": " + jsonInts({m.triangle[0], m.triangle[1], m.triangle[2]}) +
            ", \"corners\": [";
    for (std::size_t k = 0; k < m.corners.size(); ++k) {
        const ModelCorner& c = m.corners[k];
        if (k > 0) text += ", ";
        text += "{\"index\": " + std::to_string(c.index) +
                ", \"eye_position\": " + jsonVec(c.eyePosition) +
                ", \"eye_normal\": " + jsonVec(c.eyeNormal) +
                ", \"color\": " + jsonFloats({c.color.r, c.color.g, c.color.b, c.color.a}) + "}";
    }
    const auto weights = [](const std::array<double, 3>& w) {
        return "[" + jsonDouble(w[0]) + ", " + jsonDouble(w[1]) + ", " + jsonDouble(w[2]) + "]";
    };
    const std::array<std::uint8_t, 3>& bytes = m.windowBytes;
    text += "], \"screen_weights\": " + weights(m.screenWeights) +
            ", \"weights\": " + weights(m.weights) +
            ", \"color\": " + jsonFloats({m.color.r, m.color.g, m.color.b, m.color.a}) +
            ", \"window_bytes\": " + jsonInts({bytes[0], bytes[1], bytes[2]}) +
            ", \"step_difference\": ";
    if (!referenceBytes) return text + "null}";
    const std::array<std::uint8_t, 3>& real = *referenceBytes;
    return text +
           jsonInts({std::abs(bytes[0] - real[0]), std::abs(bytes[1] - real[1]),
                     std::abs(bytes[2] - real[2])}) +
           "}";
}
