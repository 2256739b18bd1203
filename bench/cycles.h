#pragma once

// Memory over many hide/restore cycles: what Hushdesk holds after them,
// against the minimal programs, and how much it grew.

#include "contenders.h"
#include "memory.h"

// Hushdesk running; the minimal programs' memory read while they waited.
void measureCycles(Contenders& all, const Memory& minimal, const Memory& minimalHotKey, int cycles,
                   int windows, int batch);
