#pragma once

// A HotKeyWord is the hot key control's format: the virtual-key code in
// bits 0-7, HOTKEYF_ flags in bits 8-15. Bits above 15 play no part.

// The MOD_ set RegisterHotKey takes: only Alt, Ctrl and Shift carry over.
unsigned toRegisterModifiers(int word);
unsigned toRegisterVirtualKey(int word);

// true: registers both hot keys from g_settings, reporting each refusal;
// false: releases both.
void activateHotKeys(bool on);
