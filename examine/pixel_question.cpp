#include "examine/pixel_question.h"

#include "scene/scene.h"
#include "view/camera.h"

namespace {

Scene sceneSeenFrom(const PixelQuestion& q) {
    return defaultSceneSeenFrom(q.view, q.width, q.height);
}

}  // namespace

std::optional<PixelStory> tellPixelStory(const PixelQuestion& question, FrameBuffers& buffers,
                                         StoryFrame drawn) {
    Scene scene = sceneSeenFrom(question);
    return tellPixelStory(scene, question.framePixel(), buffers, drawn);
}

std::optional<ReferenceModel> modelReferencePixel(const PixelQuestion& question,
                                                  FrameBuffers& buffers, StoryFrame drawn) {
    Scene scene = sceneSeenFrom(question);
    return modelReferencePixel(scene, question.framePixel(), buffers, drawn);
}
