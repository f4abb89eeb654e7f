#include "examine/face_scan_json.h"

#include <cstddef>
#include <vector>

#include "examine/json_values.h"
#include "examine/rules_json.h"

namespace {

std::string jsonVec(const Vec3& v) {
    return jsonFloats({v.x, v.y, v.z});
}

std::string jsonIndexList(const std::vector<int>& indices) {
    return jsonList(indices, [](int i) { return std::to_string(i); });
}

std::string spanJson(const FaceScanSpan& s) {
    return "{\"left\": " + jsonNumber(s.left) + ", \"right\": " + jsonNumber(s.right) +
           ", \"left_edge\": " + std::to_string(s.leftEdge) +
           ", \"right_edge\": " + std::to_string(s.rightEdge) +
           ", \"first_column\": " + std::to_string(s.firstColumn) +
           ", \"end_column\": " + std::to_string(s.endColumn) + ", \"fragments\": " +
           jsonList(s.fragments,
                    [](const FaceScanFragment& f) {
                        return "{\"column\": " + std::to_string(f.column) +
                               ", \"depth\": " + jsonNumber(f.depth) +
                               ", \"depth_before\": " + jsonNumber(f.depthBefore) +
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
                       ", \"y_start\": " + jsonNumber(e.yStart) +
                       ", \"y_end\": " + jsonNumber(e.yEnd) + ", \"x\": " + jsonNumber(e.x) +
                       ", \"z\": " + jsonNumber(e.z) + ", \"normal\": " + jsonVec(e.normal) +
                       ", \"dxdy\": " + jsonNumber(e.dxdy) + ", \"dzdy\": " + jsonNumber(e.dzdy) +
                       ", \"dnormal\": " + jsonVec(e.dNormal) + "}";
            });
    text += ", \"rows\": " + jsonList(scan.rows, [](const FaceScanRow& r) {
                return "{\"y\": " + std::to_string(r.y) + ", \"active\": " +
                       jsonList(r.activeX, [](float x) { return jsonNumber(x); }) +
                       ", \"active_edges\": " + jsonIndexList(r.active) +
                       ", \"entering\": " + jsonIndexList(r.entering) +
                       ", \"leaving\": " + jsonIndexList(r.leaving) +
                       ", \"spans\": " + jsonList(r.spans, spanJson) + "}";
            });
    if (rules.any()) text += ", " + rulesTakenJsonMember(rules);
    return text + "}\n";
}
