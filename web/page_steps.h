#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "examine/stage_recorder.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/plain/stop_point.h"
#include "web/page_frame.h"

// The page's step mode: the software picture of a view drawn no further than
// a stop point, as rasterwork-snapshot --stop-after draws it, with the stage
// pictures of the buffers as they stand there, and one face's scan
// conversion as rasterwork-explain --face --json tells it. Each step draws
// the faces before the stop point again: a step costs at most a frame.
class PageSteps {
  public:
    // Draws `view`'s software picture up to `stop`. False, with nothing
    // drawn, when the scene has no such face, the row lies outside the frame
    // or the memory cannot be had.
    bool stepTo(const PageView& view, const StopPoint& stop);

    // The view and the stop point of the last step drawn.
    const PageView& view() const { return view_; }
    const StopPoint& stop() const { return stop_; }

    // The buffers at the stop point, laid out as PageFrame's.
    const std::vector<float>& color() const { return color_; }
    const std::vector<float>& depth() const { return depth_; }
    // RGBA bytes of a stage picture at the stop point, top row first.
    const std::vector<std::uint8_t>& panel(StagePicture picture);

    // rasterwork-explain --face OBJECT:FACE --json for `view`; empty when
    // there is no such face or the memory cannot be had. Leaves the step's
    // buffers as they are.
    std::string faceScanJson(const PageView& view, int object, int face);

    // The face whose fragment the whole frame of `view` keeps at pixel
    // (x, y), as object << 16 | face; -1 for none. Leaves the step's buffers
    // as they are.
    int faceAt(const PageView& view, int x, int y);

  private:
    PageView view_;
    StopPoint stop_;
    FrameBuffers buffers_;  // where each step and scan is drawn
    std::vector<float> color_, depth_;
    std::optional<StageRecorder> stages_;  // at the stop point
    std::vector<std::uint8_t> panel_;
};

// The default scene's objects, an object's faces (0 for no such object),
// and whether it has face `face` of object `object`.
int sceneObjectCount();
bool sceneHasFace(int object, int face);
int sceneFaceCount(int object);
