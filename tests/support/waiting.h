#pragma once

// Waiting while this thread's messages are pumped: a window of ours may be
// sent a message by the program meanwhile.

#include <windows.h>

#include <functional>

// Polls `condition` every few ms until it holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
void pumpFor(DWORD ms);  // sleeps while pumping this thread's messages
