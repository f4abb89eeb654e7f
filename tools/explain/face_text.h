#pragma once

#include <string>

#include "raster/explain/face_scan.h"

// One face's scan conversion for people (several lines) and as one JSON
// object on one line: "object", "object_name", "face", "width", "height",
// "corners" ([x, y, depth] each), "edges" ("first_row", "last_row", "y_start",
// "y_end", "x", "z", "normal", "dxdy", "dzdy", "dnormal") and "rows" ("y",
// "active" (x of each active edge, in order), "active_edges" (their indices
// in "edges"), "entering", "leaving", "spans": "left", "right",
// "left_edge", "right_edge", "first_column", "end_column" and "fragments":
// "column", "depth", "depth_before", "passed").
std::string faceScanText(const FaceScan& scan, const std::string& objectName, int width,
                         int height);
std::string faceScanJson(const FaceScan& scan, const std::string& objectName, int width,
                         int height);
