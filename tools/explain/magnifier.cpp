#include "tools/explain/magnifier.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/images/comparison_panels.h"

namespace {

constexpr int kMargin = kMagnifierMargin;  // row numbers left, column numbers below
constexpr int kCrop = kMagnifierSide * kMagnifierZoom;
constexpr int kWidth = kMagnifierWidth;
constexpr int kHeight = kMagnifierHeight;
constexpr int kTop = kMagnifierTop;  // below the title

struct Rgb {
    double r, g, b;
};
constexpr Rgb kOutline = {0.05, 0.05, 0.05};
constexpr Rgb kReferenceOutline = {0.85, 0.0, 0.85};
constexpr Rgb kTick = {1.0, 0.5, 0.0};
constexpr Rgb kBar = {0.0, 0.75, 0.8};
constexpr Rgb kGrid = {0.6, 0.6, 0.6};
constexpr Rgb kText = {0.16, 0.16, 0.16};

Rgb fromBytes(const RgbCanvas::Rgb& c) {
    return {c[0] / 255.0, c[1] / 255.0, c[2] / 255.0};
}

void colour(cairo_t* cr, const Rgb& c, double alpha = 1.0) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

// Frame coordinates (x to the right, y up, a pixel one unit) to the picture.
struct Mapping {
    const MagnifierGeometry& g;
    double x(double frameX) const { return kMargin + (frameX - g.left()) * kMagnifierZoom; }
    double y(double frameY) const {
        return kTop + (g.bottom() + kMagnifierSide - frameY) * kMagnifierZoom;
    }
};

// Text is drawn in the tools' own bitmap font once the geometry is on the
// canvas: the same letters on every machine, and no font library.
struct Label {
    int x, row;  // top-left corner; centred on x when `centred`
    std::string text;
    bool centred;
};
constexpr int kTextScale = 2;

void pixels(cairo_t* cr, const Mapping& m) {
    const MagnifierGeometry& g = m.g;
    for (int row = g.bottom(); row < g.bottom() + kMagnifierSide; ++row) {
        for (int column = g.left(); column < g.left() + kMagnifierSide; ++column) {
            const MagnifiedPixel& p = g.at(column, row);
            cairo_rectangle(cr, m.x(column), m.y(row + 1), kMagnifierZoom, kMagnifierZoom);
            if (p.inFrame) {
                colour(cr, {p.rgb[0] / 255.0, p.rgb[1] / 255.0, p.rgb[2] / 255.0});
            } else {
                colour(cr, fromBytes(kGapColour));
            }
            cairo_fill(cr);
        }
    }
    // The grid, then a dot at each centre: dark on light pixels, light on dark.
    colour(cr, kGrid);
    cairo_set_line_width(cr, 1.0);
    for (int i = 0; i <= kMagnifierSide; ++i) {
        const double at = kMargin + i * kMagnifierZoom;
        cairo_move_to(cr, at, kTop);
        cairo_line_to(cr, at, kTop + kCrop);
        cairo_move_to(cr, kMargin, kTop + i * kMagnifierZoom);
        cairo_line_to(cr, kMargin + kCrop, kTop + i * kMagnifierZoom);
    }
    cairo_stroke(cr);
    for (int row = g.bottom(); row < g.bottom() + kMagnifierSide; ++row) {
        for (int column = g.left(); column < g.left() + kMagnifierSide; ++column) {
            const MagnifiedPixel& p = g.at(column, row);
            const double light = 0.3 * p.rgb[0] + 0.59 * p.rgb[1] + 0.11 * p.rgb[2];
            colour(cr, light > 128 || !p.inFrame ? Rgb{0.1, 0.1, 0.1} : Rgb{0.95, 0.95, 0.95});
            cairo_arc(cr, m.x(column + 0.5), m.y(row + 0.5), 2.0, 0.0, 6.2832);
            cairo_fill(cr);
        }
    }
}

// A ring just inside a pixel's square.
void ring(cairo_t* cr, const Mapping& m, int column, int row, const Rgb& c, double width,
          double inset) {
    colour(cr, c);
    cairo_set_line_width(cr, width);
    cairo_rectangle(cr, m.x(column) + inset, m.y(row + 1) + inset, kMagnifierZoom - 2 * inset,
                    kMagnifierZoom - 2 * inset);
    cairo_stroke(cr);
}

void coverageRings(cairo_t* cr, const Mapping& m) {
    const MagnifierGeometry& g = m.g;
    for (int row = g.bottom(); row < g.bottom() + kMagnifierSide; ++row) {
        for (int column = g.left(); column < g.left() + kMagnifierSide; ++column) {
            const MagnifiedPixel& p = g.at(column, row);
            if (p.software == p.reference) continue;
            ring(cr, m, column, row, fromBytes(p.software ? kSoftwareOnly : kReferenceOnly), 3.0,
                 5.5);
        }
    }
}

void outline(cairo_t* cr, const Mapping& m, const std::vector<Point2>& corners) {
    if (corners.empty()) return;
    cairo_move_to(cr, m.x(corners[0][0]), m.y(corners[0][1]));
    for (const Point2& c : corners) cairo_line_to(cr, m.x(c[0]), m.y(c[1]));
    cairo_close_path(cr);
    cairo_stroke(cr);
}

// The reference's dashed outline over the software's solid one, which it
// all but covers where the grid moves a corner by a hair.
void outlines(cairo_t* cr, const Mapping& m) {
    cairo_set_line_width(cr, 1.5);
    colour(cr, kOutline);
    for (const MagnifiedFace& f : m.g.faces) outline(cr, m, f.outline);
    const double dash[] = {6.0, 6.0};
    cairo_set_line_width(cr, 2.0);
    colour(cr, kReferenceOutline);
    cairo_set_dash(cr, dash, 2, 0.0);
    for (const MagnifiedFace& f : m.g.faces) outline(cr, m, f.referenceOutline);
    cairo_set_dash(cr, nullptr, 0, 0.0);
}

// Per row, a bar through the middle of the span's filled columns and a tick
// across the row at each active edge's x.
void rowWalk(cairo_t* cr, const Mapping& m) {
    for (const MagnifiedRow& r : m.g.rows) {
        const double middle = m.y(r.y + 0.5);
        colour(cr, kBar, 0.8);
        for (const std::array<int, 2>& s : r.spans) {
            cairo_rectangle(cr, m.x(s[0]), middle - 2.5, (s[1] - s[0]) * kMagnifierZoom, 5.0);
            cairo_fill(cr);
        }
        colour(cr, kTick);
        cairo_set_line_width(cr, 2.5);
        for (const float x : r.edgeX) {
            cairo_move_to(cr, m.x(x), m.y(r.y) - 4.0);
            cairo_line_to(cr, m.x(x), m.y(r.y + 1) + 4.0);
        }
        cairo_stroke(cr);
    }
}

void numbers(const Mapping& m, std::vector<Label>& labels) {
    const MagnifierGeometry& g = m.g;
    for (int i = 0; i < kMagnifierSide; ++i) {
        labels.push_back({static_cast<int>(m.x(g.left() + i + 0.5)), kTop + kCrop + 6,
                          std::to_string(g.left() + i), true});
        labels.push_back({kMargin / 2, static_cast<int>(m.y(g.bottom() + i + 0.5)) - 5,
                          std::to_string(g.bottom() + i), true});
    }
    labels.push_back(
        {kMargin + kCrop / 2, kTop + kCrop + 22, "COLUMN. ROW AT THE LEFT. 0 AT THE BOTTOM", true});
}

void pinned(cairo_t* cr, const Mapping& m, std::vector<Label>& labels) {
    const MagnifierGeometry& g = m.g;
    // Black at the square's edge and white inside it, to show on any colour.
    ring(cr, m, g.x, g.y, {0.0, 0.0, 0.0}, 2.0, 1.0);
    ring(cr, m, g.x, g.y, {1.0, 1.0, 1.0}, 1.5, 3.0);
    const std::string label = std::to_string(g.x) + " " + std::to_string(g.y);
    const int width = textWidth(label, kTextScale);
    const double left = m.x(g.x + 0.5) - width / 2.0 - 3;
    const double top = m.y(g.y + 1) - kGlyphHeight * kTextScale - 9;
    colour(cr, {1.0, 1.0, 1.0}, 0.85);
    cairo_rectangle(cr, left, top, width + 6, kGlyphHeight * kTextScale + 6);
    cairo_fill(cr);
    labels.push_back({static_cast<int>(left) + 3, static_cast<int>(top) + 3, label, false});
}

void legend(cairo_t* cr, const MagnifierGeometry& g, std::vector<Label>& labels) {
    int y = kTop + kCrop + kMargin + 6;
    const double x = 12;
    const auto line = [&](const Rgb& c, int kind, const std::string& words) {
        const double middle = y + kGlyphHeight * kTextScale / 2.0;
        colour(cr, c);
        cairo_set_line_width(cr, kind == 1 ? 2.5 : 1.5);
        if (kind == 0 || kind == 3) {
            const double dash[] = {6.0, 6.0};
            if (kind == 3) cairo_set_dash(cr, dash, 2, 0.0);
            cairo_move_to(cr, x, middle);
            cairo_line_to(cr, x + 28, middle);
            cairo_stroke(cr);
            cairo_set_dash(cr, nullptr, 0, 0.0);
        } else if (kind == 1) {
            cairo_move_to(cr, x + 14, middle - 7);
            cairo_line_to(cr, x + 14, middle + 7);
            cairo_stroke(cr);
        } else if (kind == 2) {
            cairo_rectangle(cr, x, middle - 2.5, 28, 5);
            cairo_fill(cr);
        }
        labels.push_back({static_cast<int>(x) + 36, y, words, false});
        y += 16;
    };
    line(kOutline, 0, "OUTLINE WHERE THE VERTEX STAGE PUT IT");
    line(kReferenceOutline, 3,
         g.gridBits > 0 ? "THE REFERENCE OUTLINE ON ITS GRID OF " +
                              std::to_string(1 << g.gridBits) + " STEPS A PIXEL"
                        : "THE REFERENCE OUTLINE: NO GRID KNOWN");
    line(kTick, 1, "AN ACTIVE EDGE X ON THE ROW: WHERE THE SOFTWARE SAMPLES IT");
    line(kBar, 2, "THE SPAN: FIRST COLUMN TO END COLUMN - 1");
    line(fromBytes(kSoftwareOnly), 2, "RING: SOFTWARE ONLY. GREEN RING: REFERENCE ONLY");
    line(kText, -1,
         "DOTS: PIXEL CENTRES. " + std::to_string(g.width) + " X " + std::to_string(g.height) +
             " FRAME. GREY BEYOND IT");
}

}  // namespace

RgbCanvas drawMagnifier(const MagnifierGeometry& g) {
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()),
                                                               cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_paint(cr);
    std::vector<Label> labels = {{kMargin, 9, g.title, false}};

    const Mapping m{g};
    cairo_save(cr);
    cairo_rectangle(cr, kMargin, kTop, kCrop, kCrop);
    cairo_clip(cr);
    pixels(cr, m);
    rowWalk(cr, m);
    outlines(cr, m);
    coverageRings(cr, m);
    pinned(cr, m, labels);
    cairo_restore(cr);
    numbers(m, labels);
    legend(cr, g, labels);

    cairo_surface_flush(surface.get());
    RgbCanvas canvas;
    canvas.width = kWidth;
    canvas.height = kHeight;
    canvas.rgb.resize(static_cast<std::size_t>(kWidth) * kHeight * 3);
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int row = 0; row < kHeight; ++row) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t pixel;
            std::memcpy(&pixel, data + static_cast<std::size_t>(row) * stride + 4 * x, 4);
            std::uint8_t* out = &canvas.rgb[(static_cast<std::size_t>(row) * kWidth + x) * 3];
            out[0] = static_cast<std::uint8_t>(pixel >> 16);
            out[1] = static_cast<std::uint8_t>(pixel >> 8);
            out[2] = static_cast<std::uint8_t>(pixel);
        }
    }
    const RgbCanvas::Rgb ink = {40, 40, 40};
    for (const Label& l : labels) {
        const int x = l.centred ? l.x - textWidth(l.text, kTextScale) / 2 : l.x;
        drawText(canvas, x, l.row, l.text, kTextScale, ink);
    }
    return canvas;
}

RgbCanvas stackedPictures(const RgbCanvas& top, const RgbCanvas& below) {
    RgbCanvas canvas;
    canvas.width = std::max(top.width, below.width);
    canvas.height = top.height + kPanelGap + below.height;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 255);
    canvas.fill(0, top.height, canvas.width, kPanelGap, kGapColour);
    const auto copy = [&](const RgbCanvas& picture, int firstRow) {
        for (int row = 0; row < picture.height; ++row) {
            std::memcpy(&canvas.rgb[(static_cast<std::size_t>(firstRow + row) * canvas.width) * 3],
                        &picture.rgb[static_cast<std::size_t>(row) * picture.width * 3],
                        static_cast<std::size_t>(picture.width) * 3);
        }
    };
    copy(top, 0);
    copy(below, top.height + kPanelGap);
    return canvas;
}
