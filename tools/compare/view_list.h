#pragma once

#include <string>
#include <vector>

#include "view/view.h"

// Largest number of views one --views may ask for.
constexpr int kMaxViews = 10000;

// The views a sweep runs over, from one of:
//   turntable:N    N turns about Z, evenly over a full turn from start's
//                  angle, at start's tilt, zoom and pan;
//   grid:NZ,NX     NZ turns about Z times NX tilts about X, each evenly over a
//                  full turn from start's angles, at start's zoom and pan;
//   FILE           one view per line, "angle-z angle-x zoom pan-x pan-y"
//                  (five finite numbers), '#' to the end of a line a comment,
//                  blank lines skipped.
// False, with one line in *error, for anything else (the line number of a
// bad line in a file).
bool parseViewList(const std::string& description, const View& start, std::vector<View>* views,
                   std::string* error);

// A view as the numbers a file line holds, "angle-z angle-x zoom pan-x pan-y".
std::string viewText(const View& view);
