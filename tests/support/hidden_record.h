#pragma once

// The program's record of hidden windows (Internal/HiddenWindows), read
// from one snapshot of its INI.

#include <string>

// `readable` is false while the snapshot lacks the thread id, i.e. caught
// mid-rewrite.
struct HiddenRecord {
    bool readable = false;
    bool present = false;
    std::string value;
};

HiddenRecord readHiddenRecord(const std::string& profile);
// The record written empty, as opposed to never written.
bool recordWrittenEmpty(const std::string& profile);
