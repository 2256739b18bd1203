#pragma once

// Both exes as files: their size (the shipped 32-bit one held to a limit)
// and any timer function they import or name.

#include <string>

// An empty path: that exe is left out.
void measureSizes(const std::string& hushdesk32, const std::string& hushdesk64);
