#pragma once

// Keys pressed as a user would, through SendInput: a hot key registered by
// another process reaches it that way.

#include <windows.h>

#include <vector>

// Presses the keys in order and releases them in reverse.
void pressKeys(const std::vector<WORD>& virtualKeys);
