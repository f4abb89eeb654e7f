// The functions the page's JavaScript calls in the WebAssembly module. One
// frame at a time lives here; pointers into it stay valid until the next
// rw_draw or panel call.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "examine/colour_scales.h"
#include "examine/json_values.h"
#include "examine/pixel_question.h"
#include "examine/pixel_why.h"
#include "examine/story_json.h"
#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"
#include "raster/like_reference/reference_rules.h"
#include "web/float_text.h"
#include "web/page_frame.h"
#include "web/page_magnifier.h"
#include "web/page_rules.h"
#include "web/page_steps.h"

namespace {

PageFrame frame;
PageSteps steps;                           // the step mode, on the view of the frame drawn last
std::string text;                          // the last text handed out
std::vector<std::uint8_t> referenceBytes;  // filled by the page for rw_compare_with
FrameBuffers scratch;  // where a story's settling step and the magnifier's model are drawn

template <typename T>
T* data(const std::vector<T>& values) {
    return const_cast<T*>(values.data());
}

// What rasterwork-explain --json writes for the story and the reference
// model's side, without the real reference's part (which needs OpenGL): the
// why and the settling step told against the model, as the tool tells them
// without OpenGL; the model's step difference from the reference is null;
// null for no story.
const char* explanationText(const PixelQuestion& question, const std::optional<PixelStory>& story,
                            const std::optional<ReferenceModel>& model) {
    text = "null";
    if (!story || !model) return text.c_str();
    try {
        const int step = settlingStepAt(question.view, question.width, question.height, question.x,
                                        question.y, nullptr, scratch);
        const PixelWhy why = pixelWhy(*story, nullptr, &*model, step, question.rules);
        text = "{\"why\": " + jsonText(why.sentences()) +
               ", \"settled_by\": " + settledByJson(step) + ", " + pixelStoryJsonMembers(*story) +
               ", \"reference_model\": " + referenceModelJson(*model, nullptr) + "}";
    } catch (const std::bad_alloc&) {
        text = "null";
    }
    return text.c_str();
}

}  // namespace

extern "C" {

// Draws the frame of a view, telling the story of pixel (storyX, storyY)
// when it lies in the frame; `rules` holds bit i for the rule
// kReferenceRuleNames[i] and the grid as pageRules reads it. The numbers are taken as floats, as
// the tools take them. The model is drawn now when `withModel` is 1, else when it is first asked
// for (the page compares with a WebGL picture instead). 1 when drawn, 0 when the size is out of
// range or memory is short.
int rw_draw(double angleZ, double angleX, double zoom, double panX, double panY, int width,
            int height, int rules, int storyX, int storyY, int withModel) {
    PageView view;
    view.view.angleZ = static_cast<float>(angleZ);
    view.view.angleX = static_cast<float>(angleX);
    view.view.zoom = static_cast<float>(zoom);
    view.view.panX = static_cast<float>(panX);
    view.view.panY = static_cast<float>(panY);
    view.width = width;
    view.height = height;
    view.rules = pageRules(rules);
    return frame.draw(view, PagePixel{storyX, storyY}, withModel != 0) ? 1 : 0;
}

// The story of another pixel of the frame; 1 when told.
int rw_tell(int x, int y) {
    return frame.tellStories(PagePixel{x, y}) ? 1 : 0;
}

// The story of the pixel asked for last, as explanationText writes it.
const char* rw_story_json() {
    const std::optional<PixelStory>& story = frame.story();
    if (!story) return explanationText(PixelQuestion(), story, frame.referenceModel());
    return explanationText(frame.question(PagePixel{story->x, story->y}), story,
                           frame.referenceModel());
}

// The story of any pixel of the frame, told afresh (both pictures drawn
// again): rasterwork-explain --json for the same view and pixel, without
// the real reference's part.
const char* rw_explain_json(int x, int y) {
    const PixelQuestion question = frame.question(PagePixel{x, y});
    FrameBuffers buffers;  // apart from the frame's: its pictures stay as drawn
    const std::optional<PixelStory> story = tellPixelStory(question, buffers);
    return explanationText(question, story,
                           story ? modelReferencePixel(question, buffers) : std::nullopt);
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

// The bytes rw_compare_with took last, as their canvas shows them.
std::uint8_t* rw_given_panel() {
    return data(frame.givenPanel());
}

std::uint8_t* rw_map_panel(int picture) {
    return data(frame.mapPanel(static_cast<MapPicture>(picture)));
}

// Per pixel (row 0 at the bottom) the cause map's ladder step, -1 where
// neither the model nor any step's picture covers it.
std::int8_t* rw_causes() {
    return data(frame.causes());
}

// both, software only, model only, over the tolerance, largest step.
const double* rw_difference() {
    static double figures[5];
    const ComparisonReport& d = frame.difference();
    figures[0] = static_cast<double>(d.both);
    figures[1] = static_cast<double>(d.softwareOnly);
    figures[2] = static_cast<double>(d.referenceOnly);
    figures[3] = static_cast<double>(d.pixelsOverTolerance);
    figures[4] = *std::max_element(d.maxStepDifference.begin(), d.maxStepDifference.end());
    return figures;
}

// Room for the bytes of another reference (r, g, b, a per pixel of the
// frame, rows from the bottom, a = 0 where nothing was drawn).
std::uint8_t* rw_reference_bytes() {
    referenceBytes.assign(static_cast<std::size_t>(frame.width()) * frame.height() * 4, 0);
    return referenceBytes.data();
}

// Compares the frame's software picture with the bytes rw_reference_bytes
// handed room for (1) or with the model (0); 1 when the bytes were taken.
int rw_compare_with(int bytes) {
    if (bytes == 0) {
        frame.compareWithModel();
        return 1;
    }
    return frame.compareWith(referenceBytes) ? 1 : 0;
}

// The grid of the cause map's last step, as PageFrame::setLadderGrid.
void rw_set_ladder_grid(int bits) {
    frame.setLadderGrid(bits);
}

int rw_rule_count() {
    return kReferenceRuleCount;
}

const char* rw_rule_name(int index) {
    return index >= 0 && index < kReferenceRuleCount ? kReferenceRuleNames[index] : "";
}

// The cause map's colour of a ladder step (0 to rw_rule_count()) as
// 0xRRGGBB, the same as the compare tool's --cause-png.
int rw_cause_colour(int step) {
    const Rgb rgb = causeColour(step);
    return rgb[0] << 16 | rgb[1] << 8 | rgb[2];
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

// Draws the frame drawn last up to and including face `face` of object
// `object` (in draw order) and, unless `wholeFace`, within it up to and
// including window row `row`; 1 when drawn, 0 for no such face or row.
int rw_step_to(int object, int face, int row, int wholeFace) {
    const StopPoint stop{object, face, wholeFace != 0 ? StopPoint::kWholeFace : row};
    return steps.stepTo(frame.view(), stop) ? 1 : 0;
}

float* rw_step_color() {
    return data(steps.color());
}

float* rw_step_depth() {
    return data(steps.depth());
}

// RGBA bytes, top row first, of a stage picture at the step.
std::uint8_t* rw_step_panel(int picture) {
    return data(steps.panel(static_cast<StagePicture>(picture)));
}

// rasterwork-explain --face OBJECT:FACE --json for the frame drawn last; ""
// for no such face.
const char* rw_face_scan_json(int object, int face) {
    text = steps.faceScanJson(frame.view(), object, face);
    return text.c_str();
}

// The face the whole frame keeps at pixel (x, y), as object << 16 | face;
// -1 for none.
int rw_face_at(int x, int y) {
    return steps.faceAt(frame.view(), x, y);
}

// The magnifier's geometry around pixel (x, y), as magnifierJson writes
// it, with the reference's outline on a grid of 1/2^gridBits pixel: of the
// frame drawn last, or (atStep) of the step mode's last step; "" when the
// memory cannot be had. Of the frame, the reference's coverage is the
// model's, or none without `modelCoverage` (the page marks the WebGL
// picture's itself).
const char* rw_magnifier_json(int x, int y, int gridBits, int atStep, int modelCoverage) {
    if (atStep != 0) {
        text = pageStepMagnifierJson(steps.view(), steps.stop(), steps.color(), steps.depth(),
                                     gridBits, x, y, scratch);
    } else {
        const float* modelDepth = modelCoverage != 0 ? frame.modelPixels().depth : nullptr;
        text = pageMagnifierJson(frame.view(), frame.softwarePixels(), modelDepth, gridBits, x, y);
    }
    return text.c_str();
}

int rw_object_count() {
    return sceneObjectCount();
}

int rw_face_count(int object) {
    return sceneFaceCount(object);
}

}  // extern "C"
