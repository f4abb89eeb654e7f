#include "examine/magnifier_json.h"

#include <cstddef>
#include <vector>

#include "examine/json_values.h"

namespace {

// The vertex stage's corners are floats; the reference's, on its grid, are
// doubles.
std::string outlineJson(const std::vector<Point2>& corners, std::string (*number)(double)) {
    return jsonList(
        corners, [&](const Point2& c) { return "[" + number(c[0]) + ", " + number(c[1]) + "]"; });
}

}  // namespace

std::string magnifierJson(const MagnifierGeometry& g) {
    std::string text =
        "{\"x\": " + std::to_string(g.x) + ", \"y\": " + std::to_string(g.y) +
        ", \"width\": " + std::to_string(g.width) + ", \"height\": " + std::to_string(g.height) +
        ", \"left\": " + std::to_string(g.left()) + ", \"bottom\": " + std::to_string(g.bottom()) +
        ", \"side\": " + std::to_string(kMagnifierSide) +
        ", \"grid_bits\": " + std::to_string(g.gridBits);
    text += ", \"pixels\": " + jsonList(g.pixels, [](const MagnifiedPixel& p) {
                return "{\"in_frame\": " + jsonBool(p.inFrame) +
                       ", \"rgb\": " + jsonInts({p.rgb[0], p.rgb[1], p.rgb[2]}) +
                       ", \"software\": " + jsonBool(p.software) +
                       ", \"reference\": " + jsonBool(p.reference) + "}";
            });
    text += ", \"faces\": " + jsonList(g.faces, [](const MagnifiedFace& f) {
                return "{\"object\": " + std::to_string(f.object) +
                       ", \"face\": " + std::to_string(f.face) +
                       ", \"outline\": " + outlineJson(f.outline, jsonNumber) +
                       ", \"reference_outline\": " + outlineJson(f.referenceOutline, jsonDouble) +
                       "}";
            });
    text += ", \"rows\": " + jsonList(g.rows, [](const MagnifiedRow& r) {
                return "{\"y\": " + std::to_string(r.y) +
                       ", \"object\": " + std::to_string(r.object) +
                       ", \"face\": " + std::to_string(r.face) +
                       ", \"edge_x\": " + jsonList(r.edgeX, [](float x) { return jsonNumber(x); }) +
                       ", \"spans\": " +
                       jsonList(r.spans,
                                [](const std::array<int, 2>& s) {
                                    return jsonInts({s[0], s[1]});
                                }) +
                       "}";
            });
    return text + "}";
}
