#include "tools/command_line/face_address.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "base/shown_text.h"
#include "scene/default_scene.h"

namespace {

// A whole number 0 or above, decimal digits only.
bool readIndex(const std::string& text, int* out) {
    if (text.empty() || text.size() > 9) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    *out = static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    return true;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ':') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

}  // namespace

bool readFaceAddress(const std::string& option, const std::string& text, bool withRow,
                     StopPoint* out, std::string* error) {
    const std::vector<std::string> parts = split(text);
    StopPoint address;
    const bool counted = parts.size() == 2 || (withRow && parts.size() == 3);
    if (!counted || !readIndex(parts[0], &address.object) || !readIndex(parts[1], &address.face) ||
        (parts.size() == 3 && !readIndex(parts[2], &address.row))) {
        *error = "invalid value " + shown(text) + " for " + option + ": expected " +
                 (withRow ? "OBJECT:FACE or OBJECT:FACE:ROW" : "OBJECT:FACE") +
                 ", whole numbers from 0";
        return false;
    }
    *out = address;
    return true;
}

OptionRule stopAfterOption(std::optional<StopPoint>* out) {
    return {"--stop-after", "O:F[:R]",
            "draw the software picture up to and including face F of\n"
            "object O in draw order (both from 0, as rasterwork-explain\n"
            "numbers them) and, with R, of that face only the window\n"
            "rows up to and including R (0 at the bottom); every output\n"
            "shows the buffers as they stand then. The plain path draws.\n"
            "With --renderer opengl: the faces up to O:F (no R)",
            [out](const std::string& value, std::string* error) {
                StopPoint address;
                if (!readFaceAddress("--stop-after", value, true, &address, error)) return false;
                *out = address;
                return true;
            }};
}

OptionRule faceOption(std::optional<StopPoint>* out) {
    return {"--face", "O:F",
            "explain the scan conversion of face F of object O (both\n"
            "from 0 in draw order) instead of one pixel: its corners,\n"
            "its edge table, and row by row the active edges, the spans\n"
            "and each column's depth test; no X Y needed (with X Y and\n"
            "--crop-png the magnifier is centred on that pixel)",
            [out](const std::string& value, std::string* error) {
                StopPoint address;
                if (!readFaceAddress("--face", value, false, &address, error)) return false;
                *out = address;
                return true;
            }};
}

bool checkFaceExists(const std::string& option, const StopPoint& a, int height,
                     std::string* error) {
    Scene scene;
    buildDefaultScene(scene);
    const std::string named = option + " " + std::to_string(a.object) + ":" +
                              std::to_string(a.face) +
                              (a.row == StopPoint::kWholeFace ? "" : ":" + std::to_string(a.row));
    const int objects = static_cast<int>(scene.objects.size());
    if (a.object >= objects) {
        *error = named + ": the scene has no object " + std::to_string(a.object) +
                 " (objects 0 to " + std::to_string(objects - 1) + ")";
        return false;
    }
    const int faces =
        static_cast<int>(scene.objects[static_cast<std::size_t>(a.object)].faces.size());
    if (a.face >= faces) {
        *error = named + ": object " + std::to_string(a.object) + " has no face " +
                 std::to_string(a.face) + " (faces 0 to " + std::to_string(faces - 1) + ")";
        return false;
    }
    if (a.row != StopPoint::kWholeFace && a.row >= height) {
        *error = named + ": row " + std::to_string(a.row) + " is outside the frame (rows 0 to " +
                 std::to_string(height - 1) + ")";
        return false;
    }
    return true;
}
