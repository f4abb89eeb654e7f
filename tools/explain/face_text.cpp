#include "tools/explain/face_text.h"

#include <cstdio>
#include <vector>

#include "base/shown_text.h"

namespace {

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string textVec(const Vec3& v) {
    return "(" + number(v.x) + ", " + number(v.y) + ", " + number(v.z) + ")";
}

std::string indexList(const std::vector<int>& indices) {
    if (indices.empty()) return "none";
    std::string text;
    for (const int i : indices) text += (text.empty() ? "" : " ") + std::to_string(i);
    return text;
}

std::string columnsText(const FaceScanSpan& s) {
    const std::string ends = " (first " + std::to_string(s.firstColumn) + ", end " +
                             std::to_string(s.endColumn) + ", not filled)";
    if (s.endColumn <= s.firstColumn) return "no column" + ends;
    return "columns " + std::to_string(s.firstColumn) + " to " + std::to_string(s.endColumn - 1) +
           ends;
}

}  // namespace

std::string faceScanText(const FaceScan& scan, const std::string& objectName, int width,
                         int height) {
    std::string text = "face " + std::to_string(scan.face) + " of object " +
                       std::to_string(scan.object) + " (" + objectName + ") in a " +
                       std::to_string(width) + " x " + std::to_string(height) +
                       " frame, tested against the depth buffer as the faces before it left it\n\n";
    text += "corners on the screen (x, y, depth):\n";
    for (std::size_t i = 0; i < scan.corners.size(); ++i) {
        text += "  corner " + std::to_string(i) + "  " + textVec(scan.corners[i]) + "\n";
    }
    text +=
        "\nedge table (each side as set up; on its first row the walk uses x as set up, then\n"
        "adds the changes once per row):\n";
    for (std::size_t i = 0; i < scan.edges.size(); ++i) {
        const FaceScanEdge& e = scan.edges[i];
        text += "  edge " + std::to_string(i) + "  rows " + std::to_string(e.firstRow) + " to " +
                std::to_string(e.lastRow) + " (y " + number(e.yStart) + " to " + number(e.yEnd) +
                "), x " + number(e.x) + ", depth " + number(e.z) + ", normal " + textVec(e.normal) +
                "\n        per row: x " + number(e.dxdy) + ", depth " + number(e.dzdy) +
                ", normal " + textVec(e.dNormal) + "\n";
    }
    if (scan.rows.empty()) text += "\nthe face covers no row of the frame\n";
    for (const FaceScanRow& row : scan.rows) {
        text += "\nrow " + std::to_string(row.y) + ": active edges in x order:";
        for (std::size_t i = 0; i < row.active.size(); ++i) {
            text += " " + std::to_string(row.active[i]) + " at x " + number(row.activeX[i]) +
                    (i + 1 < row.active.size() ? "," : "");
        }
        if (row.active.empty()) text += " none";
        text += "\n  entering: " + indexList(row.entering) +
                "; retiring: " + indexList(row.leaving) + "\n";
        for (const FaceScanSpan& s : row.spans) {
            text += "  span between edges " + std::to_string(s.leftEdge) + " and " +
                    std::to_string(s.rightEdge) + ": x " + number(s.left) + " to " +
                    number(s.right) + ", " + columnsText(s) + "\n";
            for (const FaceScanFragment& f : s.fragments) {
                text += "    column " + std::to_string(f.column) + ": depth " + number(f.depth) +
                        " against " + number(f.depthBefore) + ", " +
                        (f.passed ? "passed" : "failed") + "\n";
            }
        }
    }
    return text;
}
