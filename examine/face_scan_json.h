#pragma once

#include <string>

#include "raster/explain/face_scan.h"
#include "raster/like_reference/reference_rules.h"

// One face's scan conversion as one JSON object on one line, as
// rasterwork-explain --face --json prints it and the browser page hands it
// out: "object", "object_name", "face", "width", "height", "corners"
// ([x, y, depth] each), "edges" ("first_row", "last_row", "y_start", "y_end",
// "x", "z", "normal", "dxdy", "dzdy", "dnormal") and "rows" ("y", "active"
// (x of each active edge, in order), "active_edges" (their indices in
// "edges"), "entering", "leaving", "spans": "left", "right", "left_edge",
// "right_edge", "first_column", "end_column" and "fragments": "column",
// "depth", "depth_before", "passed"); then, when any rule is on,
// "like_reference" (the rules' names). Ends with a newline.
std::string faceScanJson(const FaceScan& scan, const std::string& objectName, int width, int height,
                         const ReferenceRules& rules);
