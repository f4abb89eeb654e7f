#include "tools/compare/differing_limit.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/shown_text.h"

bool DifferingLimit::exceeded(long differing, long covered) const {
    if (!percent) return static_cast<double>(differing) > value;
    return static_cast<double>(differing) * 100.0 > value * static_cast<double>(covered);
}

bool parseDifferingLimit(const std::string& text, DifferingLimit* limit, std::string* error) {
    const bool percent = !text.empty() && text.back() == '%';
    const std::string number = percent ? text.substr(0, text.size() - 1) : text;
    bool digits = !number.empty();
    int points = 0;
    for (const char c : number) {
        if (c == '.' && percent) {
            ++points;
        } else if (!std::isdigit(static_cast<unsigned char>(c))) {
            digits = false;
        }
    }
    errno = 0;
    const double value =
        digits && points <= 1 && number != "." ? std::strtod(number.c_str(), nullptr) : -1.0;
    if (value < 0.0 || errno == ERANGE || !std::isfinite(value) || (percent && value > 100.0)) {
        *error = "invalid value " + shown(text) +
                 " for --max-differing: expected a whole number of pixels or a percentage "
                 "from 0% to 100%";
        return false;
    }
    limit->value = value;
    limit->percent = percent;
    return true;
}

std::string differingLimitText(const DifferingLimit& limit) {
    char text[64];
    std::snprintf(text, sizeof text, limit.percent ? "%.9g%%" : "%.0f", limit.value);
    return text;
}

std::string limitVerdictText(const DifferingLimit& limit, const ComparisonReport& report) {
    const bool over = limit.exceeded(report.differing(), report.covered());
    return "differing pixels                " + std::to_string(report.differing()) + " of " +
           std::to_string(report.covered()) + " covered (limit " + differingLimitText(limit) +
           "): " + (over ? "over the limit" : "within the limit") + "\n";
}

std::string limitVerdictJsonMembers(const DifferingLimit& limit, const ComparisonReport& report) {
    const bool over = limit.exceeded(report.differing(), report.covered());
    return "\"max_differing\": \"" + differingLimitText(limit) +
           "\", \"differing\": " + std::to_string(report.differing()) +
           ", \"within_limit\": " + (over ? "false" : "true");
}
