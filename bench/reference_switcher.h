#pragma once

// The reference switcher: this same exe in a second process doing the bare
// loop (enumerate, read the title, substring test, hide), so that it and
// Hushdesk cross the same process boundary.

#include "contenders.h"

// The child's side: switches the windows whose titles hold `sentence` on
// each WM_USER 1, after setting the named event `readyEvent`.
int runReference(const char* sentence, const char* readyEvent);
// Starts `reference` (a copy of this exe) as the reference switcher and
// waits until it is ready; false, and said so, when it does not start.
bool startReference(Program& reference);
