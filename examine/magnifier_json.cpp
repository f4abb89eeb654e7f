#include "examine/magnifier_json.h"

#include <cstddef>
#include <vector>

#include "examine/json_values.h"

namespace {

// The vertex stage's corners are floats; the reference's, on its grid, are
// doubles.
std::string outlineJson(const std::vector<Point2>& corners, std::string (*number)(double)) {
    return jsonList(corners, [&](const Point2& c) {
        std::string corner = "[";
        corner += number(c[0]);
        corner += ", ";
        corner += number(c[1]);
        corner += ']';
        return corner;
    });
}

}  // namespace

std::string magnifierJson(const MagnifierGeometry& g) {
    std::string text =
        "{\"x\": " + std::to_string(g.x) + ", \"y\": " + std::to_string(g.y) +
        ", \"width\": " + std::to_string(g.width) + ", \"height\": " + std::to_string(g.height) +
        ", \"left\": " + std::to_string(g.left()) + ", \"bottom\": " + std::to_string(g.bottom()) +
        ", \"side\": " + std::to_string(kMagnifierSide) +
        ", \"grid_bits\": " + std::to_string(g.gridBits);
    // Appended piece by piece: a whole frame's crop has 225 pixels, and each
    // entry built as a chain of `+` made a string for every link of it.
    text += ", \"pixels\": [";
    for (std::size_t i = 0; i < g.pixels.size(); ++i) {
        const MagnifiedPixel& p = g.pixels[i];
        if (i > 0) text += ", ";
        text += p.inFrame ? "{\"in_frame\": true" : "{\"in_frame\": false";
        text += ", \"rgb\": ";
        appendJsonInts(text, {p.rgb[0], p.rgb[1], p.rgb[2]});
        text += p.software ? ", \"software\": true" : ", \"software\": false";
        text += p.reference ? ", \"reference\": true}" : ", \"reference\": false}";
    }
    text += ']';
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
