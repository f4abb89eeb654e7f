// The views-file reader over arbitrary bytes, handed over in pieces whose
// sizes the first byte chooses:
// - the outcome does not depend on the pieces: the same views, or the same
//   refusal, as when the whole text arrives at once;
// - a refusal is one line without control characters, of bounded length;
// - accepted views are at most kMaxViews, every number finite, and written
//   back out one view per line they read back to the same floats, bit for
//   bit.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/compare/view_list.h"

namespace {

struct Outcome {
    bool accepted = false;
    std::vector<View> views;
    std::string error;
};

// The text handed over in pieces of at most `piece` bytes (0: at once).
Outcome readInPieces(const std::string& text, std::size_t piece) {
    Outcome outcome;
    ViewFileLines lines("fuzz.views", &outcome.views);
    bool ok = true;
    for (std::size_t at = 0; ok && at < text.size();) {
        const std::size_t size = piece == 0 ? text.size() : std::min(piece, text.size() - at);
        ok = lines.take(text.data() + at, size, &outcome.error);
        at += size;
    }
    outcome.accepted = ok && lines.finish(&outcome.error);
    return outcome;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameViews(const std::vector<View>& a, const std::vector<View>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const float x[] = {a[i].angleZ, a[i].angleX, a[i].zoom, a[i].panX, a[i].panY};
        const float y[] = {b[i].angleZ, b[i].angleX, b[i].zoom, b[i].panX, b[i].panY};
        for (int k = 0; k < 5; ++k) {
            if (!sameBits(x[k], y[k])) return false;
        }
    }
    return true;
}

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const Outcome whole = readInPieces(text, 0);
    const Outcome pieces = readInPieces(text, piece);
    require(whole.accepted == pieces.accepted);
    require(whole.error == pieces.error);
    require(sameViews(whole.views, pieces.views));

    if (!whole.accepted) {
        require(!whole.error.empty() && whole.error.size() < 400);
        for (const char c : whole.error) {
            const unsigned char byte = static_cast<unsigned char>(c);
            require(byte >= 0x20 && byte != 0x7f);
        }
        return 0;
    }
    require(!whole.views.empty() && whole.views.size() <= static_cast<std::size_t>(kMaxViews));
    std::string written;
    for (const View& view : whole.views) {
        require(std::isfinite(view.angleZ) && std::isfinite(view.angleX) &&
                std::isfinite(view.zoom) && std::isfinite(view.panX) && std::isfinite(view.panY));
        written += viewText(view) + "\n";
    }
    const Outcome again = readInPieces(written, 0);
    require(again.accepted && sameViews(again.views, whole.views));
    return 0;
}
