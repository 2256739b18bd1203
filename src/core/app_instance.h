#pragma once

#include <windows.h>

// The module handle WinMain receives; the dialog loads its template and
// creates its status bar with it.
void setAppInstance(HINSTANCE instance);
HINSTANCE appInstance();
