#include "examine/pixel_why.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "examine/json_values.h"
#include "examine/ladder_pictures.h"
#include "view/camera.h"

namespace {

// Few digits: the sentences give the gist, the lines below every digit.
std::string brief(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string faceLabel(const PixelStory& s, int object, int face) {
    const std::size_t i = static_cast<std::size_t>(object);
    return "object " + std::to_string(object) +
           (i < s.objectNames.size() ? " (" + s.objectNames[i] + ")" : "") + ", face " +
           std::to_string(face);
}

std::string centre(const PixelStory& s) {
    return "(" + std::to_string(s.x) + ".5, " + std::to_string(s.y) + ".5)";
}

// Why no span of the row fills the pixel's column.
std::string missedSpan(const PixelStory& s, const ReferenceRules& rules) {
    const std::string row = "row " + std::to_string(s.y);
    for (const RowSpan& span : s.nearestSpans) {
        if (span.endColumn == s.x && !rules.sampling) {
            return "the span on " + row + " ends at x " + brief(span.right) +
                   ", which truncates to column " + std::to_string(s.x) +
                   ", and a span's end column is not filled";
        }
        if (span.firstColumn == s.x + 1 && !rules.sampling) {
            return "the span on " + row + " starts at x " + brief(span.left) +
                   ", which truncates to column " + std::to_string(span.firstColumn) +
                   ", right of it";
        }
    }
    if (s.nearestSpans.empty()) return "no span of any face reaches " + row;
    const RowSpan& nearest = s.nearestSpans.front();
    return "the nearest span on " + row + " (x " + brief(nearest.left) + " to " +
           brief(nearest.right) + ") fills columns " + std::to_string(nearest.firstColumn) +
           " to " + std::to_string(nearest.endColumn - 1) + " only";
}

// What adds most to a lit colour, and which channels the window clamps.
std::string lighting(const ShadingTerms& t) {
    double most = std::max({t.ambient.r, t.ambient.g, t.ambient.b});
    std::string what = "the ambient term";
    for (std::size_t k = 0; k < t.lights.size(); ++k) {
        const LightTerms& l = t.lights[k];
        const double diffuse =
            std::max({l.diffusePart.r * l.lightColor.r, l.diffusePart.g * l.lightColor.g,
                      l.diffusePart.b * l.lightColor.b});
        const double specular =
            std::max({l.specularPart.r * l.lightColor.r, l.specularPart.g * l.lightColor.g,
                      l.specularPart.b * l.lightColor.b});
        const std::string light = "light " + std::to_string(k) + "'s ";
        if (diffuse > most) {
            most = diffuse;
            what = light + "diffuse term (factor " + brief(l.diffuseFactor) + ")";
        }
        if (specular > most) {
            most = specular;
            what = light + "specular term (base " + brief(l.specularBase) + ", factor " +
                   brief(l.specularFactor) + ")";
        }
    }
    std::string text = "it lights the pixel itself, " + what + " adding most";
    const char* names[3] = {"red", "green", "blue"};
    const float channels[3] = {t.color.r, t.color.g, t.color.b};
    for (int c = 0; c < 3; ++c) {
        if (channels[c] > 1.0f) {
            text +=
                std::string(", its ") + names[c] + " " + brief(channels[c]) + " clamping to 255";
        }
    }
    return text;
}

std::string softwareSentence(const PixelStory& s, const ReferenceRules& rules) {
    const StoryFragment* stored = nullptr;
    for (const StoryFragment& f : s.fragments) {
        if (f.fragment.passed) stored = &f;
    }
    if (!stored) {
        if (!s.fragments.empty()) {
            return "Software: not covered: every fragment here failed its depth test.";
        }
        std::string text = "Software: not covered: " + missedSpan(s, rules);
        if (s.centreDistance) {
            const double d = *s.centreDistance;
            text += "; the pixel centre " + centre(s) + " lies " + brief(std::fabs(d)) + " px " +
                    (d > 0.0 ? "inside the face" : "outside every face");
        }
        return text + ".";
    }
    const Fragment& f = stored->fragment;
    std::string text = "Software: " + faceLabel(s, f.object, f.face) + ": its span on row " +
                       std::to_string(s.y) + " (x " + brief(f.spanLeft) + " to " +
                       brief(f.spanRight) + ") fills columns " + std::to_string(f.firstColumn) +
                       " to " + std::to_string(f.endColumn - 1) + " and its depth " +
                       brief(f.depth) + " passed against " + brief(f.depthBefore);
    if (s.fragments.size() > 1) {
        text += " (of the " + std::to_string(s.fragments.size()) +
                " fragments here, the last to pass stays)";
    }
    text += stored->terms ? "; " + lighting(*stored->terms)
                          : "; its colour is mixed from the face's lit corners";
    return text + ".";
}

std::string referenceSentence(const PixelStory& s, const ReferencePixel* reference,
                              const ReferenceModel* model) {
    if (!model || model->object < 0) return "Reference: no face reaches the screen.";
    const ReferenceModel& m = *model;
    const bool covers = reference ? reference->windowDepth < 1.0f : m.covered;
    const std::string outline = faceLabel(s, m.object, m.face) + " on its 1/256-pixel grid";
    const std::string distance = brief(std::fabs(m.centreDistance)) + " px";
    if (covers != m.covered) {
        return std::string("Reference: ") + (covers ? "covered" : "not covered") +
               ", though its model puts the centre " + centre(s) + " " + distance +
               (m.covered ? " inside " : " outside ") + outline +
               ": the reference's own rasteriser decides so close a case by its fixed-point "
               "edge functions.";
    }
    if (!covers) {
        return "Reference: not covered: it samples pixel centres, and the centre " + centre(s) +
               " lies " + distance + " outside the nearest outline, " + outline + ".";
    }
    if (!s.covered()) {
        return "Reference: covered, since it samples pixel centres: the centre " + centre(s) +
               " lies " + distance + " inside " + outline + ".";
    }
    const std::array<std::uint8_t, 3>& bytes = reference ? reference->windowBytes : m.windowBytes;
    return "Reference: " + faceLabel(s, m.object, m.face) +
           ": it lights the face's corners in eye space, clamps them to 1 and mixes corners " +
           std::to_string(m.triangle[0]) + ", " + std::to_string(m.triangle[1]) + " and " +
           std::to_string(m.triangle[2]) + " with weights " + brief(m.weights[0]) + ", " +
           brief(m.weights[1]) + " and " + brief(m.weights[2]) + " into " +
           std::to_string(bytes[0]) + " " + std::to_string(bytes[1]) + " " +
           std::to_string(bytes[2]) + ".";
}

std::string settledSentence(int step) {
    if (step == kCauseNotCovered) {
        return "Nothing to settle: neither the reference nor any step of the ladder covers it.";
    }
    const std::string tolerance = std::to_string(kLadderTolerance) + " step";
    if (step == 0) {
        return "Settled by `specified`: the two already agree within " + tolerance + ".";
    }
    if (step == kCauseUnexplained) {
        return "Settled by `unexplained`: even with every rule the software is more than " +
               tolerance + " off.";
    }
    return "Settled by `" + causeName(step) + "`.";
}

}  // namespace

PixelWhy pixelWhy(const PixelStory& software, const ReferencePixel* reference,
                  const ReferenceModel* model, int settledBy, const ReferenceRules& rules) {
    return {softwareSentence(software, rules), referenceSentence(software, reference, model),
            settledSentence(settledBy)};
}

int settlingStepAt(const View& view, int width, int height, int x, int y,
                   const ReferencePixel* reference, FrameBuffers& buffers) {
    Scene scene = defaultSceneSeenFrom(view, width, height);
    const LadderPictures ladder(scene, buffers, width, height, PixelBounds{x, y, x, y});
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
    if (reference) {
        return settledBy(ladder, i, reference->windowDepth < 1.0f, reference->windowBytes.data());
    }
    const int model = kLadderStepCount - 1;
    return settledBy(ladder, i, ladder.covers(model, i), ladder.bytes(model, i));
}

std::string settledByJson(int step) {
    return step == kCauseNotCovered ? "null" : jsonText(causeName(step));
}
