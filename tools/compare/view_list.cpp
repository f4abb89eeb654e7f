#include "tools/compare/view_list.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/shown_text.h"

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

// The whole word as a finite number: nothing before or after it, not even
// a NUL byte.
bool parseFiniteWord(const std::string& word, float* out) {
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (end == word.c_str() || end != word.c_str() + word.size() || !std::isfinite(value)) {
        return false;
    }
    *out = value;
    return true;
}

// How much of a bad line its message shows.
constexpr std::size_t kShownLineBytes = 80;

}  // namespace

bool ViewFileLines::take(const char* bytes, std::size_t size, std::string* error) {
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n') {
            if (!endLine(error)) return false;
        } else if (line_.size() == kMaxViewLineBytes) {
            *error = shown(name_) + " line " + std::to_string(number_ + 1) + " is longer than " +
                     std::to_string(kMaxViewLineBytes) + " bytes";
            return false;
        } else {
            line_ += bytes[i];
        }
    }
    return true;
}

bool ViewFileLines::finish(std::string* error) {
    if (!line_.empty() && !endLine(error)) return false;
    if (views_->empty()) {
        *error = "the views file " + shown(name_) + " holds no view";
        return false;
    }
    return true;
}

bool ViewFileLines::endLine(std::string* error) {
    ++number_;
    const std::string content = line_.substr(0, line_.find('#'));
    line_.clear();
    std::vector<std::string> fields;
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t start = content.find_first_not_of(" \t\r\v\f", at);
        if (start == std::string::npos) break;
        const std::size_t end = std::min(content.find_first_of(" \t\r\v\f", start), content.size());
        fields.push_back(content.substr(start, end - start));
        at = end;
    }
    if (fields.empty()) return true;
    View view;
    float* const targets[] = {&view.angleZ, &view.angleX, &view.zoom, &view.panX, &view.panY};
    bool good = fields.size() == 5;
    for (std::size_t i = 0; good && i < 5; ++i) good = parseFiniteWord(fields[i], targets[i]);
    if (!good) {
        *error = shown(name_) + " line " + std::to_string(number_) + ": expected five numbers " +
                 "'angle-z angle-x zoom pan-x pan-y', got " + shown(content, kShownLineBytes);
        return false;
    }
    if (views_->size() == static_cast<std::size_t>(kMaxViews)) {
        *error = shown(name_) + " holds more than " + std::to_string(kMaxViews) + " views";
        return false;
    }
    views_->push_back(view);
    return true;
}

namespace {

bool readViewFile(const std::string& path, std::vector<View>* views, std::string* error) {
    const auto cannotRead = [&](int code) {
        *error = "cannot read the views file " + shown(path) + ": " + std::strerror(code);
        return false;
    };
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return cannotRead(errno);
    ViewFileLines lines(path, views);
    char chunk[65536];
    std::size_t total = 0;
    bool ok = true;
    while (ok) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = cannotRead(errno);
        } else if (n == 0) {
            ok = lines.finish(error);
            break;
        } else if ((total += static_cast<std::size_t>(n)) > kMaxViewFileBytes) {
            *error = "the views file " + shown(path) + " is larger than " +
                     std::to_string(kMaxViewFileBytes) + " bytes";
            ok = false;
        } else {
            ok = lines.take(chunk, static_cast<std::size_t>(n), error);
        }
    }
    close(fd);
    return ok;
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

bool viewsFromFile(const std::string& description) {
    return description.rfind("turntable:", 0) != 0 && description.rfind("grid:", 0) != 0;
}

std::string viewText(const View& view) {
    char text[160];
    std::snprintf(text, sizeof text, "%.9g %.9g %.9g %.9g %.9g", view.angleZ, view.angleX,
                  view.zoom, view.panX, view.panY);
    return text;
}
