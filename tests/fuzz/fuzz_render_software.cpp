// The software renderer over arbitrary view states and frame sizes up to
// 256 x 256: no sanitizer finding, nothing written past the picture (the
// buffers' spare elements keep their marks), no depth above the cleared 1.0
// and none NaN, no NaN colour when every vertex lies in front of the eye,
// and the fast path's buffers equal to the plain path's in every float bit
// on every SIMD target this processor has.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "raster/buffers/simd_targets.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "view/view.h"

namespace {

// Asks for the lighting terms of every fragment that passes, so that the
// recording side of shadePixel runs at every lit pixel too.
class AskForEveryTerm : public FragmentObserver {
  public:
    AskForEveryTerm(int width, int height) : width_(width), height_(height) {}
    ShadingTerms* fragment(const Fragment& f) override {
        if (f.column < 0 || f.column >= width_ || f.row < 0 || f.row >= height_) std::abort();
        return f.passed ? &terms_ : nullptr;
    }

  private:
    int width_, height_;
    ShadingTerms terms_;
};

constexpr float kMark = -12345.0f;

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    float anyFloat() {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(byte()) << (8 * i);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
};

// Eye-space z of every vertex below zero: the whole scene is in front of the
// eye, looking down -z.
bool everythingInFront(const Scene& scene) {
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (const Vertex& v : face.vertices) {
                const Vec4 eye = scene.viewTransform.transform(v.position);
                if (!(eye.z < 0.0f) || !std::isfinite(eye.x) || !std::isfinite(eye.y)) {
                    return false;
                }
            }
        }
    }
    return true;
}

std::uint32_t bitsOf(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// Clears the buffers for the frame and marks their spare elements.
void prepareMarked(int width, int height, std::size_t pixels, std::size_t elements) {
    if (!prepareFrameBuffers(viewerBuffers, width, height)) std::abort();
    for (std::size_t i = pixels; i < elements; ++i) {
        depthBuffer[i] = kMark;
        colorBuffer[i] = Color(kMark, kMark, kMark, kMark);
    }
}

bool marksKept(std::size_t pixels, std::size_t elements) {
    for (std::size_t i = pixels; i < elements; ++i) {
        const Color& c = colorBuffer[i];
        if (depthBuffer[i] != kMark || c.r != kMark || c.g != kMark || c.b != kMark ||
            c.a != kMark) {
            return false;
        }
    }
    return true;
}

// Every float of both buffers' pixels, as bits.
std::vector<std::uint32_t> pictureBits(std::size_t pixels) {
    std::vector<std::uint32_t> bits;
    bits.reserve(pixels * 5);
    for (std::size_t i = 0; i < pixels; ++i) {
        const Color& c = colorBuffer[i];
        for (float f : {c.r, c.g, c.b, c.a, depthBuffer[i]}) bits.push_back(bitsOf(f));
    }
    return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scene scene;
    static const bool built = (buildDefaultScene(scene), true);
    (void)built;
    Reader in{data, size};
    const int width = 1 + in.byte();
    const int height = 1 + in.byte();
    View view;
    view.angleZ = in.anyFloat();
    view.angleX = in.anyFloat();
    view.zoom = in.anyFloat();
    view.panX = in.anyFloat();
    view.panY = in.anyFloat();

    setupCamera(scene, view, width, height);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::size_t elements = frameBufferElements(width, height);
    static const std::vector<std::int64_t> targets = availableSimdTargets();
    std::vector<std::vector<std::uint32_t>> fast;
    for (std::int64_t target : targets) {
        restrictSimdTarget(target);
        prepareMarked(width, height, pixels, elements);
        renderSoftware(scene, viewerBuffers.pixels(), width, height);
        if (!marksKept(pixels, elements)) std::abort();
        fast.push_back(pictureBits(pixels));
    }
    restrictSimdTarget(0);

    prepareMarked(width, height, pixels, elements);
    renderSoftwarePlain(scene, viewerBuffers.pixels(), width, height);
    if (!marksKept(pixels, elements)) std::abort();
    const std::vector<std::uint32_t> plain = pictureBits(pixels);
    for (const std::vector<std::uint32_t>& picture : fast) {
        if (picture != plain) std::abort();
    }

    // Watching the plain path changes no bit, whatever the geometry.
    AskForEveryTerm observer(width, height);
    prepareMarked(width, height, pixels, elements);
    renderSoftwarePlain(scene, viewerBuffers.pixels(), width, height, &observer);
    if (!marksKept(pixels, elements) || pictureBits(pixels) != plain) std::abort();

    for (std::size_t i = 0; i < pixels; ++i) {
        if (!(depthBuffer[i] <= 1.0f)) std::abort();
    }
    const bool finiteView = std::isfinite(view.angleZ) && std::isfinite(view.angleX) &&
                            std::isfinite(view.zoom) && std::isfinite(view.panX) &&
                            std::isfinite(view.panY);
    if (finiteView && everythingInFront(scene)) {
        for (std::size_t i = 0; i < pixels; ++i) {
            const Color& c = colorBuffer[i];
            if (std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b)) std::abort();
        }
    }
    return 0;
}
