#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "raster/device_coordinate.h"
#include "raster/frame_buffers.h"
#include "raster/render_software.h"
#include "raster/row_pass.h"
#include "raster/shade_rows.h"
#include "raster/window_bytes.h"

namespace {

// What a frame's pixel loop reads besides the spans, worked out once per
// frame with the same operations the per-pixel lighting uses.
struct FrameConstants {
    std::vector<float> columnDevice;
    std::vector<float> rowDevice;
    std::vector<float> columnUnprojected;
    std::vector<float> rowUnprojected;
    std::vector<ObjectShading> objects;
    std::vector<LightShading> lights;
    int deviceWidth = -1;
    int deviceHeight = -1;

    void deviceTables(int width, int height) {
        if (width == deviceWidth && height == deviceHeight) return;
        columnDevice.resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x)
            columnDevice[static_cast<std::size_t>(x)] =
                deviceCoordinate(static_cast<float>(x), width);
        rowDevice.resize(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rowDevice[static_cast<std::size_t>(y)] =
                deviceCoordinate(static_cast<float>(y), height);
        deviceWidth = width;
        deviceHeight = height;
    }

    int materials(const Scene& scene) {
        objects.clear();
        unsigned largest = 0;
        for (const SceneObject& object : scene.objects) {
            const Material& m = object.material;
            ObjectShading o;
            o.diffuse[0] = m.diffuse.r;
            o.diffuse[1] = m.diffuse.g;
            o.diffuse[2] = m.diffuse.b;
            o.specular[0] = m.specular.r;
            o.specular[1] = m.specular.g;
            o.specular[2] = m.specular.b;
            o.ambient[0] = scene.ambient.r * m.diffuse.r;
            o.ambient[1] = scene.ambient.g * m.diffuse.g;
            o.ambient[2] = scene.ambient.b * m.diffuse.b;
            o.shininess = m.shininess;
            objects.push_back(o);
            const unsigned magnitude = m.shininess < 0 ? 0u - static_cast<unsigned>(m.shininess)
                                                       : static_cast<unsigned>(m.shininess);
            largest = std::max(largest, magnitude);
        }
        int steps = 0;
        for (; largest != 0u; largest >>= 1) ++steps;
        return steps;
    }

    void lightList(const Scene& scene) {
        lights.clear();
        for (const Light& light : scene.lights) {
            lights.push_back(LightShading{{light.position.x, light.position.y, light.position.z},
                                          {light.color.r, light.color.g, light.color.b}});
        }
    }
};

// Whether the inverse projection has the exact zeros of a perspective
// inverse (and nothing infinite), so that the unprojection of a pixel splits
// into a per-column, a per-row, a constant and a per-depth part.
bool perspectiveInverse(const double* m) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(m[i])) return false;
    }
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) {
        if (m[i] != 0.0) return false;
    }
    return m[11] != 0.0 && m[15] != 0.0;
}

void reducedUnprojection(ShadeFrame& frame, FrameConstants& c, int width, int height) {
    const double* pi = frame.inverseProjection;
    frame.reducedUnprojection = perspectiveInverse(pi);
    if (!frame.reducedUnprojection) return;
    c.columnUnprojected.resize(static_cast<std::size_t>(width));
    for (std::size_t x = 0; x < c.columnUnprojected.size(); ++x)
        c.columnUnprojected[x] = static_cast<float>(pi[0] * static_cast<double>(c.columnDevice[x]));
    c.rowUnprojected.resize(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < c.rowUnprojected.size(); ++y)
        c.rowUnprojected[y] = static_cast<float>(pi[5] * static_cast<double>(c.rowDevice[y]));
    frame.columnUnprojected = c.columnUnprojected.data();
    frame.rowUnprojected = c.rowUnprojected.data();
    const double* vi = frame.inverseView;
    frame.affineView = vi[12] == 0.0 && vi[13] == 0.0 && vi[14] == 0.0 && vi[15] == 1.0;
}

// Storage taken without throwing, kept from frame to frame and given back
// when a frame needs much less of it.
struct ByteStore {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;

    std::uint8_t* reserve(std::size_t count) {
        if (count > capacity || count < capacity / 4) {
            bytes.reset();
            bytes.reset(new (std::nothrow) std::uint8_t[count]);
            capacity = bytes ? count : 0;
        }
        return bytes.get();
    }
};

struct FastRenderer {
    SpanBins bins;
    FrameConstants constants;
    ByteStore picture;
};

FastRenderer& fastRenderer() {
    static FastRenderer renderer;
    return renderer;
}

// Gathers index pixels with 32-bit offsets.
bool fitsLaneIndex(int width, int height) {
    return static_cast<long long>(width) * static_cast<long long>(height) < (1LL << 31);
}

ShadeFrame frameFor(const Scene& scene, int width, int height, FastRenderer& r) {
    ShadeFrame frame;
    frame.spans = r.bins.spans.data();
    frame.rowStart = r.bins.rowStart.data();
    frame.columnDevice = r.constants.columnDevice.data();
    frame.rowDevice = r.constants.rowDevice.data();
    frame.width = width;
    frame.height = height;
    std::copy(scene.projectionTransform.inverse.m, scene.projectionTransform.inverse.m + 16,
              frame.inverseProjection);
    std::copy(scene.viewTransform.inverse.m, scene.viewTransform.inverse.m + 16, frame.inverseView);
    const Vec4 e = scene.viewTransform.inverseTransform(Vec4{0.0f, 0.0f, 0.0f, 1.0f});
    const float w = 1.0f / e.w;
    frame.eye[0] = e.x * w;
    frame.eye[1] = e.y * w;
    frame.eye[2] = e.z * w;
    frame.powerSteps = r.constants.materials(scene);
    r.constants.lightList(scene);
    frame.lights = r.constants.lights.data();
    frame.lightCount = static_cast<int>(r.constants.lights.size());
    frame.objects = r.constants.objects.data();
    frame.depth = depthBuffer;
    frame.color = colorBuffer;
    reducedUnprojection(frame, r.constants, width, height);
    return frame;
}

// Rows [first, last] shared between `threads` threads, this one included.
void shadeOnThreads(const ShadeFrame& frame, int first, int last, int threads) {
    const int blocks = (last - first) / kRowBlock + 1;
    const int parts = std::max(1, std::min(threads, blocks));
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(parts - 1));
    for (int part = 1; part < parts; ++part) {
        workers.emplace_back(
            [&frame, first, last, part, parts] { shadeRows(frame, first, last + 1, part, parts); });
    }
    shadeRows(frame, first, last + 1, 0, parts);
    for (std::thread& worker : workers) worker.join();
}

}  // namespace

PixelRect renderSoftware(Scene& scene, int width, int height, int threads) {
    if (width <= 0 || height <= 0) return PixelRect{};  // no pixel to draw
    if (!fitsLaneIndex(width, height)) {
        renderSoftwarePlain(scene, width, height);
        return PixelRect{0, 0, width - 1, height - 1};
    }
    FastRenderer& r = fastRenderer();
    r.bins.collect(scene, width, height);
    const PixelRect drawn{r.bins.firstColumn, r.bins.firstRow, r.bins.lastColumn, r.bins.lastRow};
    if (drawn.empty()) return drawn;
    r.constants.deviceTables(width, height);
    const ShadeFrame frame = frameFor(scene, width, height, r);
    shadeOnThreads(frame, r.bins.firstRow, r.bins.lastRow, threads);
    return drawn;
}

namespace {

std::size_t pictureBytes(const PixelRect& rect) {
    if (rect.empty()) return 0;
    return static_cast<std::size_t>(rect.lastColumn - rect.firstColumn + 1) *
           static_cast<std::size_t>(rect.lastRow - rect.firstRow + 1) * 4;
}

// Frames too large for the lane indices: the plain path on a full clear, and
// the whole picture converted.
bool renderPlainFrame(Scene& scene, int width, int height, WindowPicture& picture) {
    const PixelRect whole{0, 0, width - 1, height - 1};
    std::uint8_t* bgra = fastRenderer().picture.reserve(pictureBytes(whole));
    if (!bgra || !prepareFrameBuffers(width, height)) return false;
    renderSoftwarePlain(scene, width, height);
    const std::size_t columns = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        convertToBgra(colorBuffer + y * columns, columns, bgra + y * columns * 4);
    picture = WindowPicture{whole, bgra};
    return true;
}

}  // namespace

bool renderSoftwareFrame(Scene& scene, int width, int height, WindowPicture& picture) {
    picture = WindowPicture{};
    if (!sizeFrameBuffers(width, height)) return false;
    if (width <= 0 || height <= 0) return true;  // no pixel to clear or draw
    if (!fitsLaneIndex(width, height)) return renderPlainFrame(scene, width, height, picture);

    FastRenderer& r = fastRenderer();
    r.bins.collect(scene, width, height);
    RowPass pass;
    pass.spans = r.bins.spans.data();
    pass.rowStart = r.bins.rowStart.data();
    pass.width = width;
    pass.drawn = PixelRect{r.bins.firstColumn, r.bins.firstRow, r.bins.lastColumn, r.bins.lastRow};
    if (!pass.drawn.empty()) {
        pass.bgra = r.picture.reserve(pictureBytes(pass.drawn));
        if (!pass.bgra) return false;
        r.constants.deviceTables(width, height);
    }
    const ShadeFrame frame = pass.drawn.empty() ? ShadeFrame{} : frameFor(scene, width, height, r);
    runRowPass(pass, [&frame](int first, int end) { shadeRows(frame, first, end); });
    picture = WindowPicture{pass.drawn, pass.bgra};
    return true;
}

void renderSoftware(Scene& scene, int width, int height) {
    renderSoftware(scene, width, height, 1);
}
