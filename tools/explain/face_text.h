#pragma once

#include <string>

#include "raster/explain/face_scan.h"

// One face's scan conversion for people, several lines (the JSON is
// faceScanJson in examine/face_scan_json.h).
std::string faceScanText(const FaceScan& scan, const std::string& objectName, int width,
                         int height);
