#include "hidden_record.h"

#include <vector>

#include "files.h"
#include "settings/settings.h"

HiddenRecord readHiddenRecord(const std::string& profile) {
    HiddenRecord record;
    std::vector<std::string> lines;
    splitTokens(readFile(profile), "\r\n", lines);
    bool internal = false;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '[') {
            internal = line == "[Internal]";
        } else if (internal && line.compare(0, 9, "ThreadId=") == 0) {
            record.readable = true;
        } else if (internal && line.compare(0, 14, "HiddenWindows=") == 0) {
            record.present = true;
            record.value = line.substr(14);
        }
    }
    return record;
}

bool recordWrittenEmpty(const std::string& profile) {
    const HiddenRecord record = readHiddenRecord(profile);
    return record.present && record.value.empty();
}
