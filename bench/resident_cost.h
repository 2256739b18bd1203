#pragma once

// What staying resident costs Hushdesk against the minimal programs:
// start-up to ready, CPU and wake-ups while it waits, memory.

#include "contenders.h"
#include "memory.h"

// Starts and stops each of the three `runs` times, each going first in turn.
void measureStartup(Contenders& all, int runs);
// The three running and ready: their CPU and wake-ups over 5 s.
void measureIdle(Contenders& all);
// The memory rows of `when`: Hushdesk against the minimal program with a
// hot key, and for information against the bare one.
void addMemoryRows(const char* when, const Memory& hushdesk, const Memory& minimal,
                   const Memory& minimalHotKey);
