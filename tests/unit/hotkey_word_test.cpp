#include <gtest/gtest.h>

#include <windows.h>

#include "hotkeys/hotkeys.h"

struct WordCase {
    const char* note;
    int word;
    unsigned modifiers;
    unsigned virtualKey;
};

TEST(HotKeyWord, Table) {
    const WordCase cases[] = {
        {"Ctrl+F8", 0x0277, MOD_CONTROL, 0x77},
        {"Ctrl+Alt+F8", 0x0677, MOD_CONTROL | MOD_ALT, 0x77},
        {"Shift+Alt+Ext over A", 0x0D41, MOD_SHIFT | MOD_ALT, 0x41},
        {"flag 0x01 Shift", 0x0141, MOD_SHIFT, 0x41},
        {"flag 0x02 Control", 0x0241, MOD_CONTROL, 0x41},
        {"flag 0x04 Alt", 0x0441, MOD_ALT, 0x41},
        {"flag 0x08 Ext dropped", 0x0841, 0, 0x41},
        {"flag 0x10 dropped", 0x1041, 0, 0x41},
        {"flag 0x20 dropped", 0x2041, 0, 0x41},
        {"flag 0x40 dropped", 0x4041, 0, 0x41},
        {"flag 0x80 dropped", 0x8041, 0, 0x41},
        {"every flag bit", 0xFF41, MOD_SHIFT | MOD_CONTROL | MOD_ALT, 0x41},
        {"empty field", 0, 0, 0},
        {"bare key", 0x0070, 0, 0x70},
        {"bit 16 added to Ctrl+F8", 631 + 65536, MOD_CONTROL, 0x77},
        {"every bit above 15 set", static_cast<int>(0xFFFF0277u), MOD_CONTROL, 0x77},
        {"all bits", -1, MOD_SHIFT | MOD_CONTROL | MOD_ALT, 0xFF},
    };
    for (const WordCase& c : cases) {
        EXPECT_EQ(toRegisterModifiers(c.word), c.modifiers) << c.note;
        EXPECT_EQ(toRegisterVirtualKey(c.word), c.virtualKey) << c.note;
    }
}

// No word, however odd, yields MOD_WIN or MOD_NOREPEAT, and the high bits
// never matter.
TEST(HotKeyWord, EveryWordStaysWithinAltCtrlShift) {
    for (int word = 0; word <= 0xFFFF; ++word) {
        const unsigned modifiers = toRegisterModifiers(word);
        ASSERT_EQ(modifiers & ~static_cast<unsigned>(MOD_ALT | MOD_CONTROL | MOD_SHIFT), 0u)
            << word;
        ASSERT_EQ(toRegisterVirtualKey(word), static_cast<unsigned>(word & 0xFF)) << word;
        const int high = static_cast<int>(static_cast<unsigned>(word) | 0x5A5A0000u);
        ASSERT_EQ(toRegisterModifiers(high), modifiers) << word;
        ASSERT_EQ(toRegisterVirtualKey(high), toRegisterVirtualKey(word)) << word;
    }
}
