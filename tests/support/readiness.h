#pragma once

// When a started program is ready: its main thread has put its id under
// [Internal] ThreadId in its INI (Hushdesk and the minimal programs both
// do, first thing) and waits for messages.

#include <windows.h>

#include <string>

#include "processes.h"

// Waits (pumping) until `profile` holds the main thread's id; false if the
// program ends or `timeoutMs` passes first.
bool waitForThreadId(const Launched& launched, const std::string& profile, DWORD timeoutMs);
// Waits until the process's main thread has taken every message posted so
// far and is waiting again (best effort: it sends itself no reply).
void waitUntilIdle(const Launched& launched, DWORD timeoutMs = 5000);
