#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/switcher.h"
#include "settings/settings.h"

struct HideCase {
    std::vector<std::string> titles;
    int excludeMode;
    std::string title;
    bool expected;
};

TEST(ShouldHide, Table) {
    const std::vector<std::string> notePad = {"Note", "pad"};
    const HideCase cases[] = {
        // "containing"
        {notePad, 0, "Untitled - Notepad", true},  // on Note
        {notePad, 0, "notepad", true},             // not Note (case), but pad
        {notePad, 0, "NOTEPAD", false},            // case-sensitive
        {notePad, 0, "Notes", true},
        {notePad, 0, "Calculator", false},
        {notePad, 0, "No te", false},  // no wildcards, no trimming
        {{" Word"}, 0, "My Word", true},
        {{" Word"}, 0, "Word", false},  // the leading space is part of it
        {{"   "}, 0, "a   b", true},    // three spaces in a row
        {{"   "}, 0, "a  b", false},
        {{"Alpha"}, 0, "Alpha", true},  // whole title
        {{"Alpha"}, 0, "xAlphax", true},
        {{"Alpha"}, 0, "Alph", false},  // sentence longer than the title
        {{}, 0, "Anything", false},     // empty list hides nothing
        {{"caf\xe9"}, 0, "Le caf\xe9", true},
        // "except those containing": every nonzero value
        {notePad, 1, "Untitled - Notepad", false},
        {notePad, 1, "NOTEPAD", true},
        {notePad, 1, "Calculator", true},
        {{}, 1, "Anything", true},  // empty list hides every titled window
        {notePad, -1, "Untitled - Notepad", false},
        {notePad, -1, "Calculator", true},
        {{}, -1, "Anything", true},
        {notePad, 7, "notepad", false},
        {notePad, 7, "Calculator", true},
        {{}, 7, "Anything", true},
        {notePad, INT_MAX, "Calculator", true},
        {notePad, INT_MIN, "Notepad", false},
    };
    for (const HideCase& c : cases) {
        g_settings = Settings();
        g_settings.titles = c.titles;
        g_settings.excludeMode = c.excludeMode;
        EXPECT_EQ(shouldHide(c.title.c_str()), c.expected)
            << "title \"" << c.title << "\", mode " << c.excludeMode << ", " << c.titles.size()
            << " sentence(s)";
    }
    g_settings = Settings();
}
