#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "view/view.h"

// Largest number of views one --views may ask for.
constexpr int kMaxViews = 10000;
// Bounds of a views file: its lines and the whole file.
constexpr std::size_t kMaxViewLineBytes = 4096;
constexpr std::size_t kMaxViewFileBytes = std::size_t{16} << 20;

// The views a sweep runs over, from one of:
//   turntable:N    N turns about Z, evenly over a full turn from start's
//                  angle, at start's tilt, zoom and pan;
//   grid:NZ,NX     NZ turns about Z times NX tilts about X, each evenly over a
//                  full turn from start's angles, at start's zoom and pan;
//   FILE           one view per line, "angle-z angle-x zoom pan-x pan-y"
//                  (five finite numbers), '#' to the end of a line a comment,
//                  blank lines skipped; at most kMaxViewLineBytes per line
//                  and kMaxViewFileBytes in all.
// False, with one line in *error, for anything else (the line number of a
// bad line in a file, the start of the line shown escaped).
bool parseViewList(const std::string& description, const View& start, std::vector<View>* views,
                   std::string* error);

// Whether parseViewList reads the views from the file `description` names.
bool viewsFromFile(const std::string& description);

// The lines of a views file as they arrive, in pieces of any size: each
// complete line becomes a view (or is a comment or blank); the first bad
// one, or one longer than kMaxViewLineBytes, stops the reading with one line
// in *error. `name` is the file's, for the messages.
class ViewFileLines {
  public:
    ViewFileLines(std::string name, std::vector<View>* views)
        : name_(std::move(name)), views_(views) {}
    bool take(const char* bytes, std::size_t size, std::string* error);
    // The last line, even without a newline; false when no view was read.
    bool finish(std::string* error);

  private:
    bool endLine(std::string* error);

    std::string name_;
    std::vector<View>* views_;
    std::string line_;  // the line read so far
    int number_ = 0;    // lines completed
};

// A view as the numbers a file line holds, "angle-z angle-x zoom pan-x pan-y".
std::string viewText(const View& view);
