#include "raster/explain/pixel_story.h"

#include <cstddef>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/pixel_history.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"

std::string objectColourName(const SceneObject& object) {
    const Color& c = object.material.diffuse;
    if (c.r >= c.g && c.r >= c.b) return "red";
    return c.g >= c.b ? "green" : "blue";
}

std::optional<PixelStory> tellPixelStory(const PixelQuestion& q) {
    if (q.x < 0 || q.x >= q.width || q.y < 0 || q.y >= q.height) return std::nullopt;
    if (!prepareFrameBuffers(q.width, q.height)) return std::nullopt;
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, q.view, q.width, q.height);
    // Under the reference's rules shadePixel does not light the pixels, so
    // there are no terms of it to record.
    PixelHistory history(q.x, q.y, !q.rules.any());
    renderSoftwareLikeReference(scene, q.width, q.height, q.rules, &history);

    PixelStory story;
    story.x = q.x;
    story.y = q.y;
    story.width = q.width;
    story.height = q.height;
    for (const SceneObject& object : scene.objects) {
        story.objectNames.push_back(objectColourName(object));
    }
    story.fragments = history.fragments();
    const std::size_t i = static_cast<std::size_t>(q.y) * static_cast<std::size_t>(q.width) +
                          static_cast<std::size_t>(q.x);
    story.color = colorBuffer[i];
    story.depth = depthBuffer[i];
    story.windowBytes = {windowByte(story.color.r), windowByte(story.color.g),
                         windowByte(story.color.b)};
    return story;
}
