#include "tools/compare/view_list.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/common/shown_text.h"

namespace {

// A whole number from 1 to kMaxViews, digits only.
bool parseViewCount(const std::string& text, int* count) {
    if (text.empty() || text.size() > 6) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value < 1 || value > kMaxViews) return false;
    *count = static_cast<int>(value);
    return true;
}

// Angle k of n steps over a full turn, starting from `start`.
float turn(float start, int k, int n) {
    return static_cast<float>(static_cast<double>(start) + 360.0 * k / n);
}

bool parseFiniteWord(const std::string& word, float* out) {
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(word.c_str(), &end);
    if (end == word.c_str() || *end != '\0' || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool readViewFile(const std::string& path, std::vector<View>* views, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = "cannot read the views file " + shown(path) + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string content = line.substr(0, line.find('#'));
        std::istringstream words(content);
        std::vector<std::string> fields;
        for (std::string word; words >> word;) fields.push_back(word);
        if (fields.empty()) continue;
        View view;
        float* const targets[] = {&view.angleZ, &view.angleX, &view.zoom, &view.panX, &view.panY};
        bool good = fields.size() == 5;
        for (std::size_t i = 0; good && i < 5; ++i) good = parseFiniteWord(fields[i], targets[i]);
        if (!good) {
            *error = shown(path) + " line " + std::to_string(number) + ": expected five numbers " +
                     "'angle-z angle-x zoom pan-x pan-y', got " + shown(content);
            return false;
        }
        if (views->size() == static_cast<std::size_t>(kMaxViews)) {
            *error = shown(path) + " holds more than " + std::to_string(kMaxViews) + " views";
            return false;
        }
        views->push_back(view);
    }
    if (file.bad()) {
        *error = "cannot read the views file " + shown(path);
        return false;
    }
    if (views->empty()) {
        *error = "the views file " + shown(path) + " holds no view";
        return false;
    }
    return true;
}

}  // namespace

bool parseViewList(const std::string& description, const View& start, std::vector<View>* views,
                   std::string* error) {
    views->clear();
    const std::string countHelp = "a whole number from 1 to " + std::to_string(kMaxViews);
    if (description.rfind("turntable:", 0) == 0) {
        int n = 0;
        if (!parseViewCount(description.substr(10), &n)) {
            *error = "invalid views " + shown(description) + ": expected turntable:N with N " +
                     countHelp;
            return false;
        }
        for (int k = 0; k < n; ++k) {
            View view = start;
            view.angleZ = turn(start.angleZ, k, n);
            views->push_back(view);
        }
        return true;
    }
    if (description.rfind("grid:", 0) == 0) {
        const std::string counts = description.substr(5);
        const std::size_t comma = counts.find(',');
        int nz = 0, nx = 0;
        if (comma == std::string::npos || !parseViewCount(counts.substr(0, comma), &nz) ||
            !parseViewCount(counts.substr(comma + 1), &nx) ||
            static_cast<long>(nz) * nx > kMaxViews) {
            *error = "invalid views " + shown(description) +
                     ": expected grid:NZ,NX with NZ and NX " + "whole numbers from 1 and at most " +
                     std::to_string(kMaxViews) + " views in all";
            return false;
        }
        for (int i = 0; i < nz; ++i) {
            for (int j = 0; j < nx; ++j) {
                View view = start;
                view.angleZ = turn(start.angleZ, i, nz);
                view.angleX = turn(start.angleX, j, nx);
                views->push_back(view);
            }
        }
        return true;
    }
    return readViewFile(description, views, error);
}

std::string viewText(const View& view) {
    char text[160];
    std::snprintf(text, sizeof text, "%.9g %.9g %.9g %.9g %.9g", view.angleZ, view.angleX,
                  view.zoom, view.panX, view.panY);
    return text;
}
