// The magnifier's marks where the geometry puts them: a hand-made crop with
// one face, one row's edges and span, and a pixel one side alone covers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tools/explain/magnifier.h"
#include "tools/images/comparison_panels.h"

namespace {

// The picture's pixel at frame position (fx, fy) of a crop centred on (x, y).
const std::uint8_t* at(const RgbCanvas& c, const MagnifierGeometry& g, double fx, double fy) {
    const int px = static_cast<int>(kMagnifierMargin + (fx - g.left()) * kMagnifierZoom);
    const int py =
        static_cast<int>(kMagnifierTop + (g.bottom() + kMagnifierSide - fy) * kMagnifierZoom);
    return &c.rgb[(static_cast<std::size_t>(py) * c.width + px) * 3];
}

bool near(const std::uint8_t* p, int r, int g, int b) {
    return std::abs(p[0] - r) < 40 && std::abs(p[1] - g) < 40 && std::abs(p[2] - b) < 40;
}

TEST(Magnifier, DrawsTheGeometryWhereItLies) {
    MagnifierGeometry g;
    g.x = 20;
    g.y = 30;
    g.width = g.height = 64;
    g.title = "test";
    g.gridBits = 8;
    g.pixels.resize(kMagnifierSide * kMagnifierSide);
    for (MagnifiedPixel& p : g.pixels) p = {true, {255, 255, 255}, false, false};
    g.at(25, 26).software = true;  // software only
    // A face from x 14.25 to 23.5 on rows 24..33 (left side vertical).
    // A face from x 14.25 to 23.5 on rows 24..33, the reference's outline
    // half a pixel higher; the row walk's marks on row 28.
    g.faces.push_back({0,
                       0,
                       {{14.25, 24.0}, {23.5, 24.0}, {23.5, 34.0}, {14.25, 34.0}},
                       {{14.25, 24.5}, {23.5, 24.5}, {23.5, 34.5}, {14.25, 34.5}}});
    g.rows.push_back({28, 0, 0, {14.25f, 21.3f}, {{14, 21}}});
    const RgbCanvas c = drawMagnifier(g);
    ASSERT_EQ(c.width, kMagnifierWidth);
    ASSERT_EQ(c.height, kMagnifierHeight);

    const struct {
        double x, y;
        int r, g, b;
        const char* what;
    } marks[] = {
        {18.5, 31.5, 25, 25, 25, "a pixel centre's dot"},
        {18.75, 31.25, 255, 255, 255, "the pixel's colour beside the dot"},
        {18.3, 34.0, 20, 20, 20, "the face's top side"},
        {21.3, 28.15, 255, 128, 0, "the tick at the right edge's x"},
        {16.6, 28.5, 51, 204, 214, "the span's bar"},
        {20.7, 28.5, 51, 204, 214, "the bar in the span's last column"},
        {21.7, 28.5, 255, 255, 255, "no bar in the end column"},
        {25.5, 26.0 + 5.5 / kMagnifierZoom, 0, 110, 255, "the software-only ring"},
        {20.0 + 1.0 / kMagnifierZoom, 30.5, 0, 0, 0, "the pinned pixel's ring"},
    };
    for (const auto& m : marks) {
        const std::uint8_t* p = at(c, g, m.x, m.y);
        EXPECT_TRUE(near(p, m.r, m.g, m.b))
            << m.what << ": " << int(p[0]) << " " << int(p[1]) << " " << int(p[2]);
    }
    // The reference's top side is dashed: magenta on some of it, not all.
    int dashed = 0;
    for (int i = 0; i < 64; ++i) {
        dashed += near(at(c, g, 15.0 + i * 0.1, 34.5), 217, 0, 217);
    }
    EXPECT_GT(dashed, 16);
    EXPECT_LT(dashed, 48);
}

}  // namespace
