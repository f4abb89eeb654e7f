#include "tools/compare/compare_run.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <iterator>
#include <map>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "examine/ladder_causes.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/near_plane.h"
#include "scene/scene.h"
#include "tools/compare/cause_map.h"
#include "tools/compare/difference_ladder.h"
#include "tools/compare/difference_sheet.h"
#include "tools/compare/renderer_pictures.h"
#include "tools/compare/rule_fit_run.h"
#include "tools/compare/view_list.h"
#include "tools/compare/view_sweep.h"
#include "tools/images/comparison_panels.h"
#include "tools/images/image_files.h"
#include "tools/outputs/output_writer.h"
#include "tools/outputs/tool_outputs.h"
#include "tools/pictures/fitting_rules.h"
#include "tools/pictures/reference_implementation.h"
#include "tools/pictures/snapshot_opengl.h"

namespace {

// Difference maps per row of a sheet.
constexpr int kSheetColumns = 3;

// What a run prints and draws, and whether its check is over the limit.
struct Outcome {
    std::string text;
    RgbCanvas picture;
    RgbCanvas causePicture;
    bool overLimit = false;
};

std::string noMemoryFor(int width, int height) {
    return notEnoughMemory(width, height, "comparison");
}

// The rules fitted to an OpenGL the tools do not know, with the line that
// says so.
struct FittedRules {
    ReferenceRules rules;
    std::string note;
};

class Comparison {
  public:
    // With `fitted`, --like-reference all takes those rules for an OpenGL
    // whose rules are not known.
    Comparison(const CompareOptions& options, SoftwareRender render,
               const FittedRules* fitted = nullptr)
        : options_(options),
          render_(render),
          fitted_(fitted),
          frame_(options.frame),
          rules_(frame_.likeReference) {
        frame_.renderer = SnapshotRenderer::Software;
    }

    std::string noMemory() const { return noMemoryFor(frame_.width, frame_.height); }

    // Takes the memory of everything the run holds at once (the software
    // buffers, the read-back, both pictures, `maps` difference maps and the
    // picture with its PNG), so that a size that does not fit fails before
    // anything is rendered, even before the display is looked for. The
    // pictures keep theirs; the rest is given back. False when the buffers
    // do not fit.
    bool reserveMemory(int maps) {
        const int width = frame_.width;
        const int height = frame_.height;
        const std::size_t pixels =
            static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        reference_.windowDepth.reserve(pixels);
        software_.rgb.reserve(pixels * 3);
        software_.windowDepth.reserve(pixels);
        std::vector<std::uint8_t> spare;
        std::size_t bytes =
            pixels * (3 + sizeof(float)) + static_cast<std::size_t>(maps) * pixels * 3;
        if (!options_.causePngPath.empty()) {
            // The causes, the map and its PNG; the legend's strip is
            // covered by the room below.
            bytes += pixels + pixels * 3 + pngSizeBound(width, height + 200);
        }
        if (!options_.pngPath.empty()) {
            // At most kSheetColumns pictures side by side, with room below
            // each row for captions and below all for the legend.
            const int columns = maps > 0 ? std::min(maps, kSheetColumns) : 3;
            const int rows = maps > 0 ? (maps + columns - 1) / columns : 1;
            const int pictureWidth = columns * panelColumnWidth(width) + (columns - 1) * kPanelGap;
            const int pictureHeight = rows * (height + 40) + 200;
            bytes += static_cast<std::size_t>(pictureWidth) * pictureHeight * 3 +
                     pngSizeBound(pictureWidth, pictureHeight);
        }
        spare.reserve(bytes);
        // Last: these are cleared as they are taken, which takes a while.
        return prepareFrameBuffers(drawn_.buffers, width, height);
    }

    // The software picture of `view` drawn under `rules` into software_, and
    // its report against `reference`.
    bool compare(const View& view, const ReferenceRules& rules, const RendererPicture& reference,
                 ComparisonReport* report) {
        RenderOptions frame = frame_;
        frame.view = view;
        frame.likeReference = rules;
        if (!render_(frame, drawn_)) return false;
        softwarePicture(drawn_.buffers.pixels(), frame.width, frame.height, &software_);
        *report =
            compareRenderers(software_, reference, options_.tolerance, options_.listDiffering);
        return true;
    }

    MapStyle mapStyle() const { return {options_.tolerance, options_.amplify}; }

    const DifferingLimit* limit() const {
        return options_.gated() ? &options_.maxDiffering : nullptr;
    }

    // The OpenGL that drew the reference is known: --like-reference all
    // takes the rules that hold for it, or those fitted to it.
    void referenceFound(const GlImplementation& implementation) {
        implementation_ = implementation;
        if (!frame_.likeReferenceAll) return;
        if (rulesKnownFor(implementation, &rules_)) return;
        if (fitted_) {
            rules_ = fitted_->rules;
            rulesNote_ = fitted_->note;
        } else {
            needsFit_ = true;
        }
    }

    // Whether --like-reference all met an OpenGL whose rules are not known
    // and no fit was given: the run is to be made again with one.
    bool needsFit() const { return needsFit_; }

    // The lines above a text report: the reference's OpenGL and, in a check
    // of one set of rules (not the ladder's), the rules taken.
    std::string heading(bool rules = true) const {
        return "reference OpenGL                " + implementationText(implementation_) + "\n" +
               (rules && limit() ? rulesTakenText(rules_) + rulesNote_ : "");
    }

    // The same as JSON members.
    std::string headingJsonMembers(bool rules = true) const {
        return implementationJsonMember(implementation_) +
               (rules && limit() ? ", " + rulesTakenJsonMember(rules_) : "");
    }

    bool single(Outcome* out, std::string* error);
    bool ladder(Outcome* out, std::string* error);
    bool views(Outcome* out, std::string* error);

  private:
    // The reference picture of the options' view into reference_.
    bool renderReference(std::string* error) {
        RenderOptions frame = frame_;
        frame.renderer = SnapshotRenderer::OpenGL;
        OpenGLReadback readback;
        if (!renderOpenGLSnapshot(frame, OpenGLReadback::kRgb | OpenGLReadback::kDepth, &readback,
                                  error)) {
            return false;
        }
        referencePicture(readback, frame.width, frame.height, &reference_);
        referenceFound(readback.implementation);
        return true;
    }

    const CompareOptions& options_;
    SoftwareRender render_;
    const FittedRules* fitted_;
    bool needsFit_ = false;
    RenderOptions frame_;
    ReferenceRules rules_;  // the rules the software picture follows
    std::string rulesNote_;
    GlImplementation implementation_;
    RendererPicture reference_;
    RendererPicture software_;
    SoftwareFrame drawn_;  // the last software picture drawn, with its scene
};

bool Comparison::single(Outcome* out, std::string* error) {
    if (!reserveMemory(0)) {
        *error = noMemory();
        return false;
    }
    if (!renderReference(error)) return false;
    ComparisonReport report;
    if (!compare(frame_.view, rules_, reference_, &report)) {
        *error = noMemory();
        return false;
    }
    const DifferingLimit* gate = limit();
    if (options_.json) {
        out->text = "{" + reportJsonMembers(report) +
                    (gate ? ", " + limitVerdictJsonMembers(*gate, report) : "") + ", " +
                    headingJsonMembers() + "}\n";
    } else {
        out->text = heading() + reportText(report) + (gate ? limitVerdictText(*gate, report) : "");
    }
    if (!options_.pngPath.empty()) {
        out->picture = composeComparisonPanels(software_, reference_, mapStyle());
    }
    out->overLimit = gate && gate->exceeded(report.differing(), report.covered());
    return true;
}

bool Comparison::ladder(Outcome* out, std::string* error) {
    if (!reserveMemory(kReferenceRuleCount + 1)) {
        *error = noMemory();
        return false;
    }
    if (!renderReference(error)) return false;
    std::vector<LadderRow> rows;
    std::vector<SheetPanel> panels;
    const bool causes = !options_.causePngPath.empty();
    LadderCauses ladderCauses(causes ? reference_.windowDepth.size() : 0);
    for (int step = 0; step <= kReferenceRuleCount; ++step) {
        LadderRow row;
        row.step = step == 0 ? "specified" : kReferenceRuleNames[step - 1];
        if (!compare(frame_.view, firstReferenceRules(step), reference_, &row.report)) {
            *error = noMemory();
            return false;
        }
        if (!options_.pngPath.empty()) {
            std::string caption = step == 0 ? "SPECIFIED" : "+ " + row.step;
            for (char& c : caption) c = static_cast<char>(std::toupper(c));
            panels.push_back({caption, differenceMap(software_, reference_, mapStyle())});
        }
        ladderCauses.takeStep([this](std::size_t i) {
            return matchPixel(software_.covered(i), &software_.rgb[3 * i], reference_.covered(i),
                              &reference_.rgb[3 * i], options_.tolerance);
        });
        rows.push_back(std::move(row));
    }
    // A limit on the ladder judges what remains after every rule.
    const DifferingLimit* gate = limit();
    const ComparisonReport& last = rows.back().report;
    const std::array<long, kCauseCount> causeCounts = ladderCauses.counts();
    if (options_.json) {
        out->text = "{" + ladderJsonMember(rows) +
                    (causes ? ", " + causesJsonMember(causeCounts) : "") +
                    (gate ? ", " + limitVerdictJsonMembers(*gate, last) : "") + ", " +
                    headingJsonMembers(false) + "}\n";
    } else {
        out->text = heading(false) + ladderText(rows) +
                    (causes ? "\n" + causesText(causeCounts) : "") +
                    (gate ? "after all rules: " + limitVerdictText(*gate, last) : "");
    }
    if (causes) {
        out->causePicture =
            composeCauseMap(ladderCauses.causes(), frame_.width, frame_.height, causeCounts);
    }
    if (!panels.empty()) {
        out->picture = composeDifferenceSheet(panels, frame_.width, frame_.height, kSheetColumns,
                                              options_.amplify);
    }
    out->overLimit = gate && gate->exceeded(last.differing(), last.covered());
    return true;
}

bool Comparison::views(Outcome* out, std::string* error) {
    const std::vector<View>& views = options_.views;
    const DifferingLimit* gate = limit();
    std::vector<ViewResult> results;
    SweepSummary summary;
    std::map<std::size_t, std::vector<std::uint8_t>> maps;  // of the worst views so far
    if (!reserveMemory(kSweepFigureCount)) {
        *error = noMemory();
        return false;
    }
    bool noMemoryLeft = false;
    const auto take = [&](std::size_t v, OpenGLReadback& readback) {
        referencePicture(readback, frame_.width, frame_.height, &reference_);
        if (v == 0) referenceFound(readback.implementation);
        ViewResult result;
        result.view = views[v];
        if (!compare(views[v], rules_, reference_, &result.report)) {
            noMemoryLeft = true;
            return false;
        }
        result.crossesNearPlane = crossesNearPlane(drawn_.scene);
        summary.add(v, result, gate);
        results.push_back(result);
        if (!options_.pngPath.empty()) {
            const std::vector<std::size_t> worst = summary.worstViews();
            for (auto it = maps.begin(); it != maps.end();) {
                const bool kept = std::find(worst.begin(), worst.end(), it->first) != worst.end();
                it = kept ? std::next(it) : maps.erase(it);
            }
            if (std::find(worst.begin(), worst.end(), v) != worst.end()) {
                maps[v] = differenceMap(software_, reference_, mapStyle());
            }
        }
        return true;
    };
    RenderOptions frame = frame_;
    frame.renderer = SnapshotRenderer::OpenGL;
    if (!renderOpenGLViews(frame, views, OpenGLReadback::kRgb | OpenGLReadback::kDepth, take,
                           error)) {
        if (noMemoryLeft) *error = noMemory();
        return false;
    }
    if (options_.json) {
        for (std::size_t v = 0; v < results.size(); ++v) {
            out->text += viewJsonLine(v, results[v], gate);
        }
        out->text += summaryJsonLine(summary, gate, headingJsonMembers());
    } else {
        out->text = heading() + sweepText(results, summary, gate);
    }
    if (!options_.pngPath.empty()) {
        std::vector<SheetPanel> panels;
        for (const std::size_t v : summary.worstViews()) {
            std::string caption = "VIEW " + std::to_string(v) + " WORST:";
            for (int figure = 0; figure < kSweepFigureCount; ++figure) {
                const SweepSummary::Worst& w = summary.worst[figure];
                if (w.index == static_cast<long>(v) && w.value != 0.0) {
                    caption += std::string(" ") + kSweepFigureCaptions[figure];
                }
            }
            panels.push_back({caption, std::move(maps[v])});
        }
        if (panels.empty()) {
            // Every figure at its best in every view counted, or no view
            // counted at all: a blank map says so.
            const std::size_t bytes = static_cast<std::size_t>(frame_.width) * frame_.height * 3;
            panels.push_back(
                {"NO WORST VIEW: NOTHING TO SHOW", std::vector<std::uint8_t>(bytes, 255)});
        }
        out->picture = composeDifferenceSheet(panels, frame_.width, frame_.height, kSheetColumns,
                                              options_.amplify);
    }
    // A check of views that all cross the near plane checked nothing: it
    // does not pass.
    out->overLimit = gate && (summary.overLimit > 0 || summary.nothingChecked());
    return true;
}

// --fit-rules: the fit over the options' views, as text or JSON.
bool ruleFitReport(const CompareOptions& options, SoftwareRender render, Outcome* out,
                   std::string* error) {
    RuleFitRun run;
    if (!fitRulesOverViews(options.frame, options.views, options.tolerance, render, &run, error)) {
        return false;
    }
    const std::string heading =
        "reference OpenGL                " + implementationText(run.implementation) + "\n";
    out->text = options.json ? "{" + ruleFitJsonMembers(run.fit, run.basis) + ", " +
                                   implementationJsonMember(run.implementation) + "}\n"
                             : heading + ruleFitText(run.fit, run.basis);
    return true;
}

// The report the options ask for; with --like-reference all against an
// OpenGL whose rules are not known, the rules are fitted to it (over
// defaultFitViews) and the report made again with them.
bool makeOutcome(const CompareOptions& options, SoftwareRender render, Outcome* out,
                 std::string* error) {
    if (options.fitRules) return ruleFitReport(options, render, out, error);
    const auto run = [&](Comparison& comparison) {
        if (!options.views.empty()) return comparison.views(out, error);
        if (options.ladder) return comparison.ladder(out, error);
        return comparison.single(out, error);
    };
    bool needsFit = false;
    {
        Comparison comparison(options, render);
        if (!run(comparison)) return false;
        needsFit = comparison.needsFit();
    }
    if (!needsFit) return true;
    const std::vector<View> views = defaultFitViews(options.frame.view);
    RuleFitRun fit;
    if (!fitRulesOverViews(options.frame, views, options.tolerance, render, &fit, error)) {
        return false;
    }
    const FittedRules fitted{fit.fit.fitted, fittedRulesNote(fit.basis.viewsFitted)};
    *out = Outcome();
    Comparison comparison(options, render, &fitted);
    return run(comparison);
}

}  // namespace

ToolResult runComparison(const CompareOptions& options, SoftwareRender renderSoftware) {
    // Checked before rendering, so a bad path costs no render. The report
    // goes to standard output, so the picture may not.
    std::vector<OutputTarget> targets;
    std::string error;
    std::vector<std::pair<std::string, std::string>> named;
    if (!options.pngPath.empty()) named.emplace_back("--png", options.pngPath);
    if (!options.causePngPath.empty()) named.emplace_back("--cause-png", options.causePngPath);
    std::vector<std::pair<std::string, std::string>> inputs;
    if (!options.viewsSpec.empty() && viewsFromFile(options.viewsSpec)) {
        inputs.emplace_back("--views", options.viewsSpec);
    }
    if (!prepareOutputs(named, "the report", &targets, &error, inputs)) return badArguments(error);

    Outcome outcome;
    std::vector<std::uint8_t> png, causePng;
    try {
        if (!makeOutcome(options, renderSoftware, &outcome, &error)) return failed(error);
        if (!options.pngPath.empty() &&
            !encodePng(outcome.picture.rgb.data(), outcome.picture.width, outcome.picture.height,
                       &png, &error)) {
            return failed("cannot make the PNG picture: " + error);
        }
        if (!options.causePngPath.empty() &&
            !encodePng(outcome.causePicture.rgb.data(), outcome.causePicture.width,
                       outcome.causePicture.height, &causePng, &error)) {
            return failed("cannot make the cause map's PNG picture: " + error);
        }
    } catch (const std::bad_alloc&) {
        return failed(noMemoryFor(options.frame.width, options.frame.height));
    }
    // The report first: a report that cannot be written leaves the picture's
    // file as it was.
    if (!writeStandardOutput(outcome.text, &error)) return failed(error);
    // In the order of `named`.
    std::vector<const std::vector<std::uint8_t>*> contents;
    if (!options.pngPath.empty()) contents.push_back(&png);
    if (!options.causePngPath.empty()) contents.push_back(&causePng);
    if (!targets.empty() && !writeOutputs(targets, contents, &error)) return failed(error);
    if (outcome.overLimit) return {kOverLimit, ""};
    return {};
}
