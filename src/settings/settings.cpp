#include "settings/settings.h"

Settings g_settings;

void splitTokens(const std::string& text, const char* delimiters, std::vector<std::string>& list) {
    std::string::size_type pos = 0;
    for (;;) {
        const std::string::size_type start = text.find_first_not_of(delimiters, pos);
        if (start == std::string::npos) {
            return;
        }
        const std::string::size_type end = text.find_first_of(delimiters, start);
        if (end == std::string::npos) {
            list.push_back(text.substr(start));
            return;
        }
        list.push_back(text.substr(start, end - start));
        pos = end;
    }
}

static std::string joinWithEndMark(const std::vector<std::string>& titles, const char* endMark) {
    std::string joined;
    for (const std::string& title : titles) {
        joined += title;
        joined += endMark;
    }
    return joined;
}

std::string joinProfileForm(const std::vector<std::string>& titles) {
    return joinWithEndMark(titles, "|");
}

std::string joinDialogForm(const std::vector<std::string>& titles) {
    return joinWithEndMark(titles, "\r\n");
}
