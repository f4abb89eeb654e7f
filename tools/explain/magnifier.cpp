#include "tools/explain/magnifier.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "tools/common/comparison_panels.h"

namespace {

constexpr int kMargin = kMagnifierMargin;  // row numbers left, column numbers below
constexpr int kCrop = kMagnifierSide * kMagnifierZoom;
constexpr int kWidth = kMagnifierWidth;
constexpr int kHeight = kMagnifierHeight;
constexpr double kTop = kMagnifierTop;  // below the title

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

void text(cairo_t* cr, double x, double y, const std::string& s, double size, bool centred) {
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, s.c_str(), &extents);
    cairo_move_to(cr, centred ? x - extents.width / 2 - extents.x_bearing : x, y);
    cairo_show_text(cr, s.c_str());
}

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

void numbers(cairo_t* cr, const Mapping& m) {
    const MagnifierGeometry& g = m.g;
    colour(cr, kText);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (int i = 0; i < kMagnifierSide; ++i) {
        text(cr, m.x(g.left() + i + 0.5), kTop + kCrop + 14, std::to_string(g.left() + i), 10,
             true);
        text(cr, kMargin / 2.0, m.y(g.bottom() + i + 0.5) + 4, std::to_string(g.bottom() + i), 10,
             true);
    }
    text(cr, kMargin + kCrop / 2.0, kTop + kCrop + 30,
         "column (row numbers at the left, 0 at the bottom)", 10, true);
}

void pinned(cairo_t* cr, const Mapping& m) {
    const MagnifierGeometry& g = m.g;
    // Black at the square's edge and white inside it, to show on any colour.
    ring(cr, m, g.x, g.y, {0.0, 0.0, 0.0}, 2.0, 1.0);
    ring(cr, m, g.x, g.y, {1.0, 1.0, 1.0}, 1.5, 3.0);
    const std::string label = std::to_string(g.x) + ", " + std::to_string(g.y);
    cairo_set_font_size(cr, 12);
    cairo_text_extents_t e;
    cairo_text_extents(cr, label.c_str(), &e);
    const double left = m.x(g.x + 0.5) - e.width / 2 - 3;
    const double top = m.y(g.y + 1) - e.height - 8;
    colour(cr, {1.0, 1.0, 1.0}, 0.85);
    cairo_rectangle(cr, left, top, e.width + 6, e.height + 5);
    cairo_fill(cr);
    colour(cr, {0.0, 0.0, 0.0});
    text(cr, left + 3, top + e.height + 1, label, 12, false);
}

void legend(cairo_t* cr, const MagnifierGeometry& g) {
    double y = kTop + kCrop + kMargin + 8;
    const double x = 12;
    const auto line = [&](const Rgb& c, int kind, const std::string& words) {
        colour(cr, c);
        cairo_set_line_width(cr, kind == 1 ? 2.5 : 1.5);
        if (kind == 0 || kind == 3) {
            const double dash[] = {6.0, 6.0};
            if (kind == 3) cairo_set_dash(cr, dash, 2, 0.0);
            cairo_move_to(cr, x, y - 4);
            cairo_line_to(cr, x + 28, y - 4);
            cairo_stroke(cr);
            cairo_set_dash(cr, nullptr, 0, 0.0);
        } else if (kind == 1) {
            cairo_move_to(cr, x + 14, y - 11);
            cairo_line_to(cr, x + 14, y + 3);
            cairo_stroke(cr);
        } else {
            cairo_rectangle(cr, x, y - 7, 28, 5);
            cairo_fill(cr);
        }
        colour(cr, kText);
        text(cr, x + 36, y, words, 11, false);
        y += 17;
    };
    line(kOutline, 0, "face outline where the vertex stage put it (float screen positions)");
    line(kReferenceOutline, 3,
         g.gridBits > 0 ? "the reference's outline on its grid of 1/" +
                              std::to_string(1 << g.gridBits) + " pixel"
                        : "the reference's outline (it snaps to no grid known here)");
    line(kTick, 1, "an active edge's x on the row, where the software samples it");
    line(kBar, 2, "the span's filled columns: first column to end column - 1");
    line(fromBytes(kSoftwareOnly), 2,
         "ring: covered by the software only; green ring: the reference only");
    colour(cr, kText);
    text(cr, x, y,
         "dots: pixel centres; " + std::to_string(g.width) + " x " + std::to_string(g.height) +
             " frame, grey beyond its edges",
         11, false);
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
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    colour(cr, kText);
    text(cr, kMargin, 18, g.title, 13, false);

    const Mapping m{g};
    cairo_save(cr);
    cairo_rectangle(cr, kMargin, kTop, kCrop, kCrop);
    cairo_clip(cr);
    pixels(cr, m);
    rowWalk(cr, m);
    outlines(cr, m);
    coverageRings(cr, m);
    pinned(cr, m);
    cairo_restore(cr);
    numbers(cr, m);
    legend(cr, g);

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
