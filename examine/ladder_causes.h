#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "raster/like_reference/reference_rules.h"

// The cause map: for each pixel, the step of the difference ladder (the
// software picture as specified, then with the reference's rules switched
// on one by one in the ladder's order) from which on the software picture
// stays within the tolerance of the picture it is explained against there.
// The browser page explains against the picture in its middle panel (its
// WebGL picture or the reference model), the compare tool against the real
// reference.

// Causes: 0 for the specified picture (already within), k for the ladder's
// first k rules, then these two.
constexpr int kCauseUnexplained = kReferenceRuleCount + 1;  // not within even with every rule
constexpr int kCauseNotCovered = -1;                // covered by no step's picture nor the target
constexpr int kCauseCount = kCauseUnexplained + 1;  // the causes a pixel covered can have
constexpr int kLadderStepCount = kReferenceRuleCount + 1;

// "specified", the rule's name, or "unexplained".
std::string causeName(int cause);

// The map's colour of a cause: causeColour (colour_scales.h).

// How the picture of one ladder step meets the target at one pixel.
enum class StepMatch : std::uint8_t {
    NeitherCovers,  // within, and nothing there
    Within,         // both cover it, no channel more than the tolerance apart
    Differs,        // covered by one only, or a channel off by more
};

// One pixel's match from its coverage and its window bytes (r, g, b) in
// both pictures; the bytes of a picture that does not cover it are not read.
StepMatch matchPixel(bool stepCovers, const std::uint8_t* stepBytes, bool targetCovers,
                     const std::uint8_t* targetBytes, int tolerance);

class LadderCauses {
  public:
    explicit LadderCauses(std::size_t pixels);

    // The next step of the ladder, the specified picture first: match(i) for
    // every pixel i. Every one of the kLadderStepCount steps is taken.
    template <typename Match>
    void takeStep(Match match) {
        for (std::size_t i = 0; i < since_.size(); ++i) note(i, match(i));
        ++steps_;
    }

    int stepsTaken() const { return steps_; }

    // Per pixel, its cause; once every step is taken.
    std::vector<std::int8_t> causes() const;

    // Pixels per cause, 0 to kCauseUnexplained.
    std::array<long, kCauseCount> counts() const;

  private:
    // Within since step since_[i] (kNeverCovered: so far covered by
    // nothing, kDiffering: not within at the last step taken).
    static constexpr std::int8_t kNeverCovered = -1;
    static constexpr std::int8_t kDiffering = -2;

    void note(std::size_t i, StepMatch match) {
        std::int8_t& since = since_[i];
        switch (match) {
            case StepMatch::NeitherCovers:
                if (since == kDiffering) since = static_cast<std::int8_t>(steps_);
                break;
            case StepMatch::Within:
                // Nothing covered it before: it was within from the start.
                if (since == kNeverCovered) since = 0;
                if (since == kDiffering) since = static_cast<std::int8_t>(steps_);
                break;
            case StepMatch::Differs:
                since = kDiffering;
                break;
        }
    }

    std::vector<std::int8_t> since_;
    int steps_ = 0;
};
