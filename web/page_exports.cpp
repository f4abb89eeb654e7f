// The functions the page's JavaScript calls in the WebAssembly module. One
// frame at a time lives here; pointers into it stay valid until the next
// rw_draw or panel call.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "raster/like_reference/reference_rules.h"
#include "web/float_text.h"
#include "web/page_frame.h"

namespace {

PageFrame frame;
std::string text;  // the last text handed out

template <typename T>
T* data(const std::vector<T>& values) {
    return const_cast<T*>(values.data());
}

}  // namespace

extern "C" {

// Draws the frame of a view; `rules` holds bit i for the rule
// kReferenceRuleNames[i]. The numbers are taken as floats, as the tools take
// them. 1 when drawn, 0 when the size is out of range or memory is short.
int rw_draw(double angleZ, double angleX, double zoom, double panX, double panY, int width,
            int height, int rules) {
    PageView view;
    view.view.angleZ = static_cast<float>(angleZ);
    view.view.angleX = static_cast<float>(angleX);
    view.view.zoom = static_cast<float>(zoom);
    view.view.panX = static_cast<float>(panX);
    view.view.panY = static_cast<float>(panY);
    view.width = width;
    view.height = height;
    for (int i = 0; i < kReferenceRuleCount; ++i) {
        referenceRule(view.rules, i) = (rules >> i & 1) != 0;
    }
    return frame.draw(view) ? 1 : 0;
}

int rw_width() {
    return frame.width();
}

int rw_height() {
    return frame.height();
}

float* rw_software_color() {
    return data(frame.softwareColor());
}

float* rw_software_depth() {
    return data(frame.softwareDepth());
}

float* rw_model_color() {
    return data(frame.modelColor());
}

float* rw_model_depth() {
    return data(frame.modelDepth());
}

// RGBA bytes, top row first, width x height.
std::uint8_t* rw_stage_panel(int picture) {
    return data(frame.stagePanel(static_cast<StagePicture>(picture)));
}

std::uint8_t* rw_model_panel() {
    return data(frame.modelPanel());
}

std::uint8_t* rw_map_panel(int picture) {
    return data(frame.mapPanel(static_cast<MapPicture>(picture)));
}

// Per pixel (row 0 at the bottom) the cause map's ladder step, -1 where
// neither picture covers it.
std::int8_t* rw_causes() {
    return data(frame.causes());
}

// both, software only, model only, over the tolerance, largest step.
const double* rw_difference() {
    static double figures[5];
    const FrameDifference& d = frame.difference();
    figures[0] = static_cast<double>(d.both);
    figures[1] = static_cast<double>(d.softwareOnly);
    figures[2] = static_cast<double>(d.modelOnly);
    figures[3] = static_cast<double>(d.overTolerance);
    figures[4] = d.largestStep;
    return figures;
}

const char* rw_pixel_json(int x, int y) {
    text = frame.pixelJson(x, y);
    return text.c_str();
}

int rw_rule_count() {
    return kReferenceRuleCount;
}

const char* rw_rule_name(int index) {
    return index >= 0 && index < kReferenceRuleCount ? kReferenceRuleNames[index] : "";
}

// The shortest text strtof reads back as the float nearest `value`.
const char* rw_float_text(double value) {
    text = floatText(static_cast<float>(value));
    return text.c_str();
}

// The float strtof reads from `text`, NaN when it reads none.
double rw_float_from_text(const char* number) {
    float value = 0.0f;
    if (!floatFromText(number, &value)) return std::numeric_limits<double>::quiet_NaN();
    return value;
}

int rw_largest_side() {
    return kLargestPageSide;
}

}  // extern "C"
