#include "table.h"

#include <cstdio>
#include <vector>

#include "statistics.h"

const char kAgainstBare[] = "  against the bare minimal program";

struct Row {
    std::string what;  // a heading when `verdict` is null
    std::string hushdesk;
    std::string yardstick;
    double ratio;  // < 0: no ratio
    std::string target;
    const char* verdict;  // "ok", "MISSED", or "info" for the rows without a target
};

static std::vector<Row> rows;
struct Worst {
    double ratio = 0.0;
    std::string what;
};
// The rows with a target measure Hushdesk against its fair yardstick: the
// bare loop for the passes, the minimal program with one hot key for
// start-up and memory (a hot key loads the display driver under Wine).
static Worst worstTargeted;
static Worst worstAgainstBare;      // the rows against the bare minimal program
static std::string buildUnderTest;  // names the build in the worst ratios

void addBuildHeading(const std::string& text, const std::string& build) {
    rows.push_back({text, "", "", -1.0, "", nullptr});
    buildUnderTest = build;
}

std::string formatNumber(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void addRow(const std::string& what, const std::string& hushdesk, const std::string& yardstick,
            const std::string& target, bool ok) {
    rows.push_back({what, hushdesk, yardstick, -1.0, target, ok ? "ok" : "MISSED"});
}

void addInfoRow(const std::string& what, const std::string& hushdesk,
                const std::string& yardstick) {
    rows.push_back({what, hushdesk, yardstick, -1.0, "", "info"});
}

void addRatioRow(const std::string& what, double hushdesk, double yardstick, const char* format,
                 double limit, double givenRatio) {
    const double ratio = givenRatio >= 0.0 ? givenRatio : ratioOf(hushdesk, yardstick);
    const bool targeted = limit >= 0.0;
    rows.push_back({what, formatNumber(format, hushdesk), formatNumber(format, yardstick), ratio,
                    targeted ? "<= " + formatNumber("%.2f", limit) : "",
                    !targeted                           ? "info"
                    : hushdesk >= 0.0 && ratio <= limit ? "ok"
                                                        : "MISSED"});
    if (targeted && ratio > worstTargeted.ratio) {
        worstTargeted = {ratio, buildUnderTest + ": " + what};
    }
    if (what == kAgainstBare && ratio > worstAgainstBare.ratio) {
        worstAgainstBare = {ratio, buildUnderTest + ": " + rows[rows.size() - 2].what};
    }
}

void printTable() {
    const std::string rule(104, '-');
    std::printf("\n%-48s %14s %14s %7s %10s  %s\n", "measure", "Hushdesk", "yardstick", "ratio",
                "target", "");
    std::printf("%s\n", rule.c_str());
    for (const Row& row : rows) {
        if (!row.verdict) {
            std::printf("%s\n", row.what.c_str());
            continue;
        }
        const std::string ratio = row.ratio >= 0.0 ? formatNumber("%.2f", row.ratio) : "";
        std::printf("%-48s %14s %14s %7s %10s  %s\n", row.what.c_str(), row.hushdesk.c_str(),
                    row.yardstick.c_str(), ratio.c_str(), row.target.c_str(), row.verdict);
    }
    std::printf("%s\n", rule.c_str());
}

void printWorstRatios(double wholeRunSeconds) {
    std::printf("for information, against the bare minimal program the worst ratio is %.2f (%s)\n",
                worstAgainstBare.ratio, worstAgainstBare.what.c_str());
    std::printf(
        "worst ratio against the fair yardsticks (the bare loop for the passes, the minimal "
        "program with one hot key for start-up and memory): %.2f (%s); whole run %.0f s\n",
        worstTargeted.ratio, worstTargeted.what.c_str(), wholeRunSeconds);
}
