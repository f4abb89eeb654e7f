#include "raster/explain/face_scan_json.h"

#include <cstddef>
#include <vector>

#include "base/shown_text.h"
#include "raster/explain/story_json.h"

namespace {

template <typename T, typename Item>
std::string jsonList(const std::vector<T>& items, Item item) {
    std::string text = "[";
    for (std::size_t i = 0; i < items.size(); ++i) text += (i > 0 ? ", " : "") + item(items[i]);
    return text + "]";
}

std::string jsonVec(const Vec3& v) {
    return "[" + jsonFloat(v.x) + ", " + jsonFloat(v.y) + ", " + jsonFloat(v.z) + "]";
}

std::string jsonIndexList(const std::vector<int>& indices) {
    return jsonList(indices, [](int i) { return std::to_string(i); });
}

std::string spanJson(const FaceScanSpan& s) {
    return "{\"left\": " + jsonFloat(s.left) + ", \"right\": " + jsonFloat(s.right) +
           ", \"left_edge\": " + std::to_string(s.leftEdge) +
           ", \"right_edge\": " + std::to_string(s.rightEdge) +
           ", \"first_column\": " + std::to_string(s.firstColumn) +
           ", \"end_column\": " + std::to_string(s.endColumn) + ", \"fragments\": " +
           jsonList(s.fragments,
                    [](const FaceScanFragment& f) {
                        return "{\"column\": " + std::to_string(f.column) +
                               ", \"depth\": " + jsonFloat(f.depth) +
                               ", \"depth_before\": " + jsonFloat(f.depthBefore) +
                               ", \"passed\": " + (f.passed ? "true" : "false") + "}";
                    }) +
           "}";
}

}  // namespace

std::string faceScanJson(const FaceScan& scan, const std::string& objectName, int width, int height,
                         const ReferenceRules& rules) {
    std::string text =
        "{\"object\": " + std::to_string(scan.object) +
        ", \"object_name\": " + jsonText(objectName) + ", \"face\": " + std::to_string(scan.face) +
        ", \"width\": " + std::to_string(width) + ", \"height\": " + std::to_string(height) +
        ", \"corners\": " + jsonList(scan.corners, [](const Vec3& c) { return jsonVec(c); });
    text += ", \"edges\": " + jsonList(scan.edges, [](const FaceScanEdge& e) {
                return "{\"first_row\": " + std::to_string(e.firstRow) +
                       ", \"last_row\": " + std::to_string(e.lastRow) +
                       ", \"y_start\": " + jsonFloat(e.yStart) +
                       ", \"y_end\": " + jsonFloat(e.yEnd) + ", \"x\": " + jsonFloat(e.x) +
                       ", \"z\": " + jsonFloat(e.z) + ", \"normal\": " + jsonVec(e.normal) +
                       ", \"dxdy\": " + jsonFloat(e.dxdy) + ", \"dzdy\": " + jsonFloat(e.dzdy) +
                       ", \"dnormal\": " + jsonVec(e.dNormal) + "}";
            });
    text += ", \"rows\": " + jsonList(scan.rows, [](const FaceScanRow& r) {
                return "{\"y\": " + std::to_string(r.y) + ", \"active\": " +
                       jsonList(r.activeX, [](float x) { return jsonFloat(x); }) +
                       ", \"active_edges\": " + jsonIndexList(r.active) +
                       ", \"entering\": " + jsonIndexList(r.entering) +
                       ", \"leaving\": " + jsonIndexList(r.leaving) +
                       ", \"spans\": " + jsonList(r.spans, spanJson) + "}";
            });
    if (rules.any()) {
        std::string names;
        for (int i = 0; i < kReferenceRuleCount; ++i) {
            if (!referenceRuleOn(rules, i)) continue;
            names += (names.empty() ? "" : ", ") + jsonText(referenceRuleName(rules, i));
        }
        text += ", \"like_reference\": [" + names + "]";
    }
    return text + "}\n";
}
