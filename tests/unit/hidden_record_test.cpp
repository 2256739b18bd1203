#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/recovery.h"

using Entries = std::vector<HiddenWindowEntry>;

static bool sameEntries(const Entries& a, const Entries& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].handle != b[i].handle || a[i].processId != b[i].processId) {
            return false;
        }
    }
    return true;
}

static std::string describe(const Entries& entries) {
    std::string text = "{";
    for (const HiddenWindowEntry& e : entries) {
        text += " " + std::to_string(e.handle) + ":" + std::to_string(e.processId);
    }
    return text + " }";
}

TEST(HiddenRecord, FormatIsHexHandleColonDecimalPid) {
    EXPECT_EQ(formatHiddenWindowEntries({}), "");
    EXPECT_EQ(formatHiddenWindowEntries({{0x1A2B, 77}}), "00001A2B:77");
    EXPECT_EQ(formatHiddenWindowEntries({{0x1A2B, 77}, {0xDEADBEEF, 1}}), "00001A2B:77,DEADBEEF:1");
}

TEST(HiddenRecord, RoundTrip) {
    const Entries entries = {
        {0x1, 0},
        {0x10062, 1234},
        {0xDEADBEEF, 4294967295u},
        {0x123456789ABCDEF0ull, 42},
        {0xFFFFFFFFFFFFFFFFull, 7},
    };
    const Entries back = parseHiddenWindowEntries(formatHiddenWindowEntries(entries));
    EXPECT_TRUE(sameEntries(back, entries)) << describe(back);

    Entries many;
    for (std::uint32_t i = 1; i <= 256; ++i) {
        many.push_back({0x10000ull + i * 2, 1000 + i});
    }
    EXPECT_TRUE(sameEntries(parseHiddenWindowEntries(formatHiddenWindowEntries(many)), many));
}

struct ParseCase {
    const char* text;
    Entries expected;
};

// A damaged record is read entry by entry: good entries are kept, bad ones
// skipped, so one garbled entry never costs the other windows.
TEST(HiddenRecord, GarbledValuesKeepTheGoodEntries) {
    const ParseCase cases[] = {
        {"", {}},
        {",", {}},
        {",,,", {}},
        {"   ", {}},
        {"1A2B:77", {{0x1A2B, 77}}},
        {"1a2b:77", {{0x1A2B, 77}}},    // lower-case hex
        {" 1A2B:77 ", {{0x1A2B, 77}}},  // blanks around an entry
        {"\t1A2B:77\t", {{0x1A2B, 77}}},
        {",1A2B:77,", {{0x1A2B, 77}}},  // stray commas
        {"1A2B:77,,BEEF:5", {{0x1A2B, 77}, {0xBEEF, 5}}},
        {"FFFFFFFFFFFFFFFF:4294967295", {{0xFFFFFFFFFFFFFFFFull, 4294967295u}}},
        // each bad form between two good entries
        {"1:1,XYZ:12,2:2", {{1, 1}, {2, 2}}},    // not hex
        {"1:1,12AB,2:2", {{1, 1}, {2, 2}}},      // no colon
        {"1:1,12AB:,2:2", {{1, 1}, {2, 2}}},     // no pid
        {"1:1,:12,2:2", {{1, 1}, {2, 2}}},       // no handle
        {"1:1,12AB:12x,2:2", {{1, 1}, {2, 2}}},  // junk after the pid
        {"1:1,12AB:-5,2:2", {{1, 1}, {2, 2}}},   // negative pid
        {"1:1,12AB:+5,2:2", {{1, 1}, {2, 2}}},
        {"1:1,0:5,2:2", {{1, 1}, {2, 2}}},  // null handle
        {"1:1,00000000:5,2:2", {{1, 1}, {2, 2}}},
        {"1:1,12345678901234567:1,2:2", {{1, 1}, {2, 2}}},  // 17 hex digits
        {"1:1,12AB:4294967296,2:2", {{1, 1}, {2, 2}}},      // pid past 32 bits
        {"1:1,12AB:99999999999999999999999,2:2", {{1, 1}, {2, 2}}},
        {"1:1,12AB::5,2:2", {{1, 1}, {2, 2}}},
        {"1:1,12AB:5:6,2:2", {{1, 1}, {2, 2}}},
        {"1:1,12 AB:5,2:2", {{1, 1}, {2, 2}}},  // blank inside
        {"1:1,12AB: 5,2:2", {{1, 1}, {2, 2}}},
        {"1:1,0x12AB:5,2:2", {{1, 1}, {2, 2}}},  // no 0x prefix
        {"1:1,12AB;5,2:2", {{1, 1}, {2, 2}}},
        {"1:1,\xff\xfe:5,2:2", {{1, 1}, {2, 2}}},  // binary bytes
        {"1:1,G:5,2:2", {{1, 1}, {2, 2}}},
        {"1:1 2:2", {}},  // blank is no separator
        {"garbage", {}},
    };
    for (const ParseCase& c : cases) {
        const Entries parsed = parseHiddenWindowEntries(c.text);
        EXPECT_TRUE(sameEntries(parsed, c.expected))
            << "\"" << c.text << "\" gave " << describe(parsed);
    }
}
