#pragma once

// The table the benchmark prints: a row a figure of Hushdesk beside its
// yardstick, under a heading a build, and the worst ratios after it.

#include <string>

// The row under a targeted one that holds the same figure against the bare
// minimal program (for information).
extern const char kAgainstBare[];

// A heading above the rows of one build; `build` names it in the worst
// ratios.
void addBuildHeading(const std::string& text, const std::string& build);
std::string formatNumber(const char* format, double value);
// A row with a verdict of its own: "ok" or "MISSED".
void addRow(const std::string& what, const std::string& hushdesk, const std::string& yardstick,
            const std::string& target, bool ok);
// A row for information only, no ratio.
void addInfoRow(const std::string& what, const std::string& hushdesk, const std::string& yardstick);
// A row of Hushdesk against a yardstick; `limit` < 0: for information. The
// ratio is that of the two figures unless given.
void addRatioRow(const std::string& what, double hushdesk, double yardstick, const char* format,
                 double limit, double givenRatio = -1.0);
void printTable();
// The two worst ratios, the last line with the whole run's time.
void printWorstRatios(double wholeRunSeconds);
