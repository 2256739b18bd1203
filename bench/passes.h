#pragma once

// Hide and restore passes of Hushdesk against the reference switcher over
// 10, 100 and 256 targets, and what its record of hidden windows costs them.

#include <string>

#include "contenders.h"

// Hushdesk and the reference running; `build` names the build in the
// record's cost.
void measurePasses(const Program& hushdesk, const Program& reference, int runs,
                   const std::string& build);
// A line a build and N: how much later the record makes the first window go.
void printRecordCosts();
