#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "checked_files.h"
#include "files.h"
#include "ini_reading.h"
#include "settings/profile.h"
#include "settings/settings.h"

using Titles = std::vector<std::string>;

// A fresh folder per test; loadSettingsFrom appends to the titles, so every
// case starts from a fresh record.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_settings = Settings();
        dir = makeTempDir("profile");
    }
    void TearDown() override {
        g_settings = Settings();
        removeTree(dir);
    }
    // A new file name per use: the profile reader keeps files it has read.
    std::string file(const char* name) { return dir + "\\" + name + ".ini"; }
    std::string dir;
};

static Settings loadFrom(const std::string& path) {
    g_settings = Settings();
    loadSettingsFrom(path);
    return g_settings;
}

static void expectDefaults(const Settings& s, const char* note) {
    EXPECT_TRUE(s.titles.empty()) << note;
    EXPECT_EQ(s.excludeMode, 0) << note;
    EXPECT_EQ(s.showSettingsOnStartup, 1) << note;
    EXPECT_EQ(s.switchHotKey, 631) << note;
    EXPECT_EQ(s.showSettingsHotKey, 1655) << note;
}

static void expectSame(const Settings& a, const Settings& b, const char* note) {
    EXPECT_EQ(a.titles, b.titles) << note;
    EXPECT_EQ(a.excludeMode, b.excludeMode) << note;
    EXPECT_EQ(a.showSettingsOnStartup, b.showSettingsOnStartup) << note;
    EXPECT_EQ(a.switchHotKey, b.switchHotKey) << note;
    EXPECT_EQ(a.showSettingsHotKey, b.showSettingsHotKey) << note;
}

// The file's lines without the blank ones: sections, keys, order, values.
static std::vector<std::string> contentLines(const std::string& text) {
    std::vector<std::string> lines;
    splitTokens(text, "\r\n", lines);
    return lines;
}

TEST_F(ProfileTest, DefaultsWhenFileSectionOrKeyIsAbsent) {
    const std::string missing = file("missing");
    expectDefaults(loadFrom(missing), "no file");
    EXPECT_FALSE(fileExists(missing)) << "loading must not create the file";

    const std::string other = file("other");
    writeFile(other, "[Other]\r\nWindows=x|\r\nExcludeMode=1\r\n[Hotkeys]\r\nUnrelated=5\r\n");
    expectDefaults(loadFrom(other), "other sections and keys only");

    const std::string empty = file("empty");
    writeFile(empty, "");
    expectDefaults(loadFrom(empty), "empty file");
}

// A first start records its thread id, then the first save adds the five
// settings: sections and keys in that order of creation, integers as "%d".
TEST_F(ProfileTest, SaveWritesEveryKeyInOrder) {
    const std::string path = file("Hushdesk");
    writeProfileThreadId(path, 1234);
    EXPECT_EQ(contentLines(readFile(path)), (Titles{"[Internal]", "ThreadId=1234"}));

    g_settings.titles = {"Notepad", "Calculator"};
    g_settings.showSettingsOnStartup = 0;
    g_settings.excludeMode = 0;
    saveSettingsTo(path);
    EXPECT_EQ(contentLines(readFile(path)),
              (Titles{"[Internal]", "ThreadId=1234", "[General]", "Windows=Notepad|Calculator|",
                      "ShowSettingsOnStartup=0", "ExcludeMode=0", "[Hotkeys]", "Switch=631",
                      "ShowSettings=1655"}));

    // A second save replaces each value in place: no key twice, order kept.
    g_settings.titles = {"Word"};
    g_settings.showSettingsOnStartup = 1;
    g_settings.excludeMode = -1;
    g_settings.switchHotKey = 631 + 65536;  // the whole word, high bits too
    g_settings.showSettingsHotKey = INT_MIN;
    saveSettingsTo(path);
    EXPECT_EQ(contentLines(readFile(path)),
              (Titles{"[Internal]", "ThreadId=1234", "[General]", "Windows=Word|",
                      "ShowSettingsOnStartup=1", "ExcludeMode=-1", "[Hotkeys]", "Switch=66167",
                      "ShowSettings=-2147483648"}));

    const Settings back = loadFrom(path);
    EXPECT_EQ(back.titles, Titles{"Word"});
    EXPECT_EQ(back.showSettingsOnStartup, 1);
    EXPECT_EQ(back.excludeMode, -1);
    EXPECT_EQ(back.switchHotKey, 66167);
    EXPECT_EQ(back.showSettingsHotKey, INT_MIN);
}

TEST_F(ProfileTest, SaveKeepsUnrelatedContent) {
    const std::string path = file("keep");
    writeFile(path, "; a comment\r\n[Mine]\r\nOwn=value\r\n[General]\r\nExtra=1\r\n");
    g_settings.titles = {"a"};
    saveSettingsTo(path);
    EXPECT_EQ(iniValue(path, "Mine", "Own"), "value");
    EXPECT_EQ(iniValue(path, "General", "Extra"), "1");
    EXPECT_NE(readFile(path).find("; a comment"), std::string::npos);
    EXPECT_EQ(loadFrom(path).titles, Titles{"a"});
}

TEST_F(ProfileTest, EmptyListWritesTheKeyEmpty) {
    const std::string path = file("emptylist");
    g_settings.titles = {"something"};
    saveSettingsTo(path);
    g_settings.titles.clear();
    saveSettingsTo(path);
    const Titles lines = contentLines(readFile(path));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Windows="), lines.end())
        << "the key stays, with an empty value";
    EXPECT_TRUE(loadFrom(path).titles.empty());
}

struct WindowsValueCase {
    const char* value;
    Titles expected;
};

TEST_F(ProfileTest, WindowsValueIsSplitOnBars) {
    const WindowsValueCase cases[] = {
        {"||a||b", {"a", "b"}},
        {"Notepad|Calculator|", {"Notepad", "Calculator"}},
        {"|", {}},
        {"a|b|a", {"a", "b", "a"}},
        {"one sentence", {"one sentence"}},
    };
    int n = 0;
    for (const WindowsValueCase& c : cases) {
        const std::string path = file(("split" + std::to_string(++n)).c_str());
        writeFile(path, std::string("[General]\r\nWindows=") + c.value + "\r\n");
        EXPECT_EQ(loadFrom(path).titles, c.expected) << c.value;
    }
}

// Everything but CR and LF may stand in a sentence, INI punctuation too.
TEST_F(ProfileTest, PunctuationAndHighBytesSurviveSaveAndLoad) {
    const std::string path = file("punct");
    const Titles titles = {"first",      "a;b",     "#c",      "d=e",      "[f]",
                           "x]y[z",      "==",      ";;",      " lead",    "trail ",
                           "\"quoted\"", "tab\tin", "caf\xe9", "\x80\xff", "last"};
    g_settings.titles = titles;
    saveSettingsTo(path);
    EXPECT_EQ(loadFrom(path).titles, titles);
}

// Builds a Windows value of exactly `length` characters out of numbered
// sentences; the last one may be cut, which is fine: it is text too.
static std::string longWindowsValue(size_t length) {
    std::string value;
    for (int i = 0; value.size() < length; ++i) {
        value += "Sentence number " + std::to_string(i) + "|";
    }
    value.resize(length - 1);
    return value + "|";
}

TEST_F(ProfileTest, LongWindowsValuesLoadWholeAndSaveIntact) {
    for (const size_t length :
         {size_t{1023}, size_t{1024}, size_t{3000}, size_t{40000}, size_t{100000}}) {
        const std::string note = std::to_string(length) + " characters";
        const std::string path = file(("long" + std::to_string(length)).c_str());
        const std::string value = longWindowsValue(length);
        ASSERT_EQ(value.size(), length);
        writeFile(path, "[General]\r\nWindows=" + value + "\r\nExcludeMode=1\r\n");
        Titles expected;
        splitTokens(value, "|", expected);

        const Settings loaded = loadFrom(path);
        EXPECT_EQ(loaded.titles.size(), expected.size()) << note;
        EXPECT_TRUE(loaded.titles == expected) << note;
        EXPECT_EQ(loaded.excludeMode, 1) << note << ": keys after the long line are read";

        saveSettingsTo(path);
        EXPECT_TRUE(iniValue(path, "General", "Windows") == value) << note << ": re-saved";
        EXPECT_TRUE(loadFrom(path).titles == expected) << note << ": reloaded";
    }
}

// One sentence far longer than any fixed buffer.
TEST_F(ProfileTest, OneHugeSentenceSurvives) {
    const std::string path = file("huge");
    g_settings.titles = {"before", std::string(100000, 'q'), "after"};
    const Titles titles = g_settings.titles;
    saveSettingsTo(path);
    EXPECT_TRUE(loadFrom(path).titles == titles);
}

struct NumberCase {
    const char* text;
    int expected;  // what the platform's profile reader makes of it
};

// The program takes whatever the profile reader yields, unchecked, for
// each of the four integer keys.
TEST_F(ProfileTest, OddNumbersReadAsTheReaderYields) {
    const NumberCase cases[] = {
        {"0", 0},
        {"7", 7},
        {"-1", -1},
        {"  -3  ", -3},
        {"+5", 5},
        {"12abc", 12},  // digits up to the first other character
        {"abc", 0},
        {"1e3", 1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    int n = 0;
    for (const NumberCase& c : cases) {
        const std::string path = file(("number" + std::to_string(++n)).c_str());
        const std::string v = c.text;
        writeFile(path, "[General]\r\nShowSettingsOnStartup=" + v + "\r\nExcludeMode=" + v +
                            "\r\n[Hotkeys]\r\nSwitch=" + v + "\r\nShowSettings=" + v + "\r\n");
        const Settings s = loadFrom(path);
        EXPECT_EQ(s.showSettingsOnStartup, c.expected) << c.text;
        EXPECT_EQ(s.excludeMode, c.expected) << c.text;
        EXPECT_EQ(s.switchHotKey, c.expected) << c.text;
        EXPECT_EQ(s.showSettingsHotKey, c.expected) << c.text;
    }
}

// Out of range: the reader's wrap-around is its own business; what matters
// is that each key lands in its own field as read, and nothing breaks.
TEST_F(ProfileTest, OutOfRangeNumbersPassThrough) {
    const char* texts[] = {"2147483648",  "4294967295",  "4294967296",
                           "99999999999", "-2147483649", "999999999999999999999999999999",
                           "0x10",        "010",         "",
                           "-",           "--1",         "\"5\""};
    int n = 0;
    for (const char* text : texts) {
        const std::string path = file(("range" + std::to_string(++n)).c_str());
        const std::string v = text;
        writeFile(path, "[General]\r\nShowSettingsOnStartup=" + v + "\r\nExcludeMode=" + v +
                            "\r\n[Hotkeys]\r\nSwitch=" + v + "\r\nShowSettings=" + v + "\r\n");
        // Each key against the reader with that key's own default: an empty
        // value, for one, yields the default.
        auto read = [&](const char* section, const char* key, int fallback) {
            return static_cast<int>(GetPrivateProfileIntA(section, key, fallback, path.c_str()));
        };
        const Settings s = loadFrom(path);
        EXPECT_EQ(s.showSettingsOnStartup, read("General", "ShowSettingsOnStartup", 1)) << text;
        EXPECT_EQ(s.excludeMode, read("General", "ExcludeMode", 0)) << text;
        EXPECT_EQ(s.switchHotKey, read("Hotkeys", "Switch", 631)) << text;
        EXPECT_EQ(s.showSettingsHotKey, read("Hotkeys", "ShowSettings", 1655)) << text;
    }
}

// A fixed pseudo-random generator: the same bytes on every run.
static std::string noiseBytes(size_t count, unsigned seed) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes += static_cast<char>((seed >> 16) & 0xFF);
    }
    return bytes;
}

struct BinaryCase {
    const char* note;
    std::string content;
};

// Whatever a damaged file reads as, the load never yields an empty
// sentence, agrees with the reader, and survives its own save.
TEST_F(ProfileTest, BinaryBytesInTheFile) {
    const std::string settingsText =
        "[General]\r\nWindows=Alpha|Beta|\r\nShowSettingsOnStartup=0\r\nExcludeMode=1\r\n";
    const BinaryCase cases[] = {
        {"noise only", noiseBytes(4096, 1)},
        {"noise before the settings", noiseBytes(300, 2) + "\r\n" + settingsText},
        {"noise after the settings", settingsText + noiseBytes(300, 3)},
        {"NUL bytes between keys", "[General]\r\nWindows=Alpha|\r\n" +
                                       std::string("\0\0\0zz\r\n", 7) +
                                       "ShowSettingsOnStartup=0\r\n"},
        {"control bytes in a value",
         "[General]\r\nWindows=a\x01\x02\x7f"
         "b|\x1b[0m|\r\n"},
        {"UTF-16 mark before ANSI text", "\xff\xfe" + settingsText},
        {"UTF-8 mark", "\xef\xbb\xbf" + settingsText},
        {"a NUL inside the value",
         "[General]\r\nWindows=Al" + std::string(1, '\0') + "pha|Beta|\r\nExcludeMode=1\r\n"},
    };
    int n = 0;
    for (const BinaryCase& c : cases) {
        const std::string path = file(("binary" + std::to_string(++n)).c_str());
        writeFile(path, c.content);
        const Settings loaded = loadFrom(path);
        for (const std::string& title : loaded.titles) {
            EXPECT_FALSE(title.empty()) << c.note;
        }
        Titles fromReader;
        splitTokens(iniValue(path, "General", "Windows"), "|", fromReader);
        EXPECT_EQ(loaded.titles, fromReader) << c.note;

        saveSettingsTo(path);
        const std::string copy = file(("binarycopy" + std::to_string(n)).c_str());
        ASSERT_TRUE(CopyFileA(path.c_str(), copy.c_str(), FALSE));
        expectSame(loadFrom(copy), loaded, c.note);
    }
    // Where the damage spares the lines, they are read as written.
    const std::string spared = file("spared");
    writeFile(spared,
              "[General]\r\nWindows=a\x01\x02\x7f"
              "b|c|\r\nExcludeMode=3\r\n" +
                  std::string("\0\0\0zz\r\n", 7) + "ShowSettingsOnStartup=0\r\n");
    const Settings s = loadFrom(spared);
    EXPECT_EQ(s.titles, (Titles{"a\x01\x02\x7f"
                                "b",
                                "c"}));
    EXPECT_EQ(s.excludeMode, 3);
    EXPECT_EQ(s.showSettingsOnStartup, 0);
}

TEST_F(ProfileTest, ProfilePathIsTheExePathEndingInIni) {
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    ASSERT_GT(length, 3u);
    std::string expected(module, length);
    expected.replace(expected.size() - 3, 3, "ini");
    EXPECT_EQ(profilePath(), expected);
    const std::string tail = "\\profile_test.ini";
    ASSERT_GE(profilePath().size(), tail.size());
    EXPECT_EQ(
        _stricmp(profilePath().substr(profilePath().size() - tail.size()).c_str(), tail.c_str()), 0)
        << profilePath();
}

static void setNewValues() {
    g_settings = Settings();
    g_settings.titles = {"New"};
    g_settings.excludeMode = 9;
    g_settings.showSettingsOnStartup = 0;
    g_settings.switchHotKey = 100;
    g_settings.showSettingsHotKey = 200;
}

static const char kOldProfile[] =
    "[General]\r\nWindows=Old|\r\nShowSettingsOnStartup=0\r\nExcludeMode=5\r\n"
    "[Hotkeys]\r\nSwitch=631\r\nShowSettings=1655\r\n";

// A profile that cannot be written: the save fails quietly, the file keeps
// its old content and a fresh reader finds the old values.
TEST_F(ProfileTest, UnwritableProfileKeepsTheOldValues) {
    const std::string path = file("locked");
    writeFile(path, kOldProfile);
    // Another program holds it open for reading and denies writers.
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const Settings before = loadFrom(path);
    EXPECT_EQ(before.titles, Titles{"Old"});
    setNewValues();
    saveSettingsTo(path);
    writeProfileThreadId(path, 77);
    writeProfileHiddenWindows(path, "1234:5");
    CloseHandle(lock);
    EXPECT_EQ(readFile(path), kOldProfile);
    const std::string copy = file("lockedcopy");
    ASSERT_TRUE(CopyFileA(path.c_str(), copy.c_str(), FALSE));
    expectSame(loadFrom(copy), before, "after the refused save");
}

TEST_F(ProfileTest, ProfileThatCannotBeCreated) {
    // A folder stands where the file would be, or the folder is missing.
    const std::string blocked = file("blocked");
    ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
    const std::string nowhere = dir + "\\no such folder\\Hushdesk.ini";
    for (const std::string& path : {blocked, nowhere}) {
        setNewValues();
        saveSettingsTo(path);
        writeProfileThreadId(path, 77);
        expectDefaults(loadFrom(path), path.c_str());
        EXPECT_EQ(readProfileThreadId(path), 0) << path;
    }
    EXPECT_FALSE(fileExists(nowhere));
}

// Read-only attributes: the save must not crash. (Run as an administrator,
// the platform may write through them; the file is then whole either way.)
TEST_F(ProfileTest, ReadOnlyFileAndFolder) {
    const std::string roDir = dir + "\\readonly";
    ASSERT_TRUE(CreateDirectoryA(roDir.c_str(), nullptr));
    const std::string path = roDir + "\\Hushdesk.ini";
    writeFile(path, kOldProfile);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA(roDir.c_str(), FILE_ATTRIBUTE_READONLY));
    const Settings before = loadFrom(path);
    setNewValues();
    const Settings after = g_settings;
    saveSettingsTo(path);
    const std::string newFile = roDir + "\\created.ini";
    saveSettingsTo(newFile);

    const std::string copy = file("readonlycopy");
    ASSERT_TRUE(CopyFileA(path.c_str(), copy.c_str(), FALSE));
    const Settings reread = loadFrom(copy);
    if (readFile(path) == kOldProfile) {
        expectSame(reread, before, "write refused");
    } else {
        expectSame(reread, after, "written through");
    }
    if (fileExists(newFile)) {
        expectSame(loadFrom(newFile), after, "created in the read-only folder");
    }
}
