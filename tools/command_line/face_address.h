#pragma once

#include <optional>
#include <string>

#include "raster/plain/stop_point.h"
#include "tools/command_line/command_line.h"

// A face of the default scene as the tools name it: OBJECT:FACE, both from
// 0 in draw order (as rasterwork-explain numbers them), and for a stop
// point a window row after it, OBJECT:FACE:ROW.

// Reads "OBJECT:FACE" (withRow false) or "OBJECT:FACE[:ROW]" into *out (row
// kWholeFace when none is given). Whether the face exists is checked by
// checkFaceExists once the scene is known.
bool readFaceAddress(const std::string& option, const std::string& text, bool withRow,
                     StopPoint* out, std::string* error);

// --stop-after OBJECT:FACE[:ROW] and --face OBJECT:FACE.
OptionRule stopAfterOption(std::optional<StopPoint>* out);
OptionRule faceOption(std::optional<StopPoint>* out);

// Whether the default scene has that face, and its row inside a frame of
// `height` rows; false with one line naming what the scene has.
bool checkFaceExists(const std::string& option, const StopPoint& address, int height,
                     std::string* error);
