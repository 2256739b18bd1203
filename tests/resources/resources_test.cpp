// The resources of the Hushdesk.exe under test, read the way Windows reads
// them: the module loaded as a data file, each resource looked up under its
// language, the version block through the version API.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "exe_under_test.h"
#include "hushdesk_version.h"

static const WORD kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);  // 0x040C

// The exe loaded as data for one test, freed whatever happens.
class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExA(hushdeskExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << hushdeskExe() << " (error " << GetLastError() << ")";
    }
    void TearDown() override {
        if (module) {
            FreeLibrary(module);
        }
    }

    // The bytes of one resource under 0x040C; empty if there is none.
    std::vector<std::uint8_t> load(LPCSTR type, int id) {
        HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kFrench);
        if (!found) {
            return {};
        }
        const std::uint8_t* bytes =
            static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
        return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, found));
    }

    HMODULE module = nullptr;
};

// ---- which resources, under which language ---------------------------------

static std::string resourceName(LPCSTR name) {
    return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                : std::string(name);
}

static BOOL CALLBACK addLanguage(HMODULE, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found) {
    char entry[64];
    std::snprintf(entry, sizeof entry, "%s/%s/%04X", resourceName(type).c_str(),
                  resourceName(name).c_str(), language);
    reinterpret_cast<std::set<std::string>*>(found)->insert(entry);
    return TRUE;
}

static BOOL CALLBACK addName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found) {
    EnumResourceLanguagesA(module, type, name, addLanguage, found);
    return TRUE;
}

static BOOL CALLBACK addType(HMODULE module, LPSTR type, LONG_PTR found) {
    EnumResourceNamesA(module, type, addName, found);
    return TRUE;
}

TEST_F(Resources, AreExactlyTheProgramsAllInFrench) {
    std::set<std::string> found;
    EnumResourceTypesA(module, addType, reinterpret_cast<LONG_PTR>(&found));
    // type/name/language: three icon images, the dialog, the icon group,
    // the version block and the manifest.
    const std::set<std::string> expected = {
        "#3/#1/040C",    "#3/#2/040C",  "#3/#3/040C",  "#5/#102/040C",
        "#14/#101/040C", "#16/#1/040C", "#24/#1/040C",
    };
    EXPECT_EQ(found, expected);
}

// ---- dialog 102 ------------------------------------------------------------

// Reads a DLGTEMPLATEEX: little-endian words, UTF-16 strings, ordinals
// written as 0xFFFF and a number, items aligned on 4 bytes.
struct TemplateReader {
    const std::vector<std::uint8_t>& bytes;
    size_t pos = 0;

    bool fits(size_t n) const { return pos + n <= bytes.size(); }
    std::uint16_t word() {
        if (!fits(2)) {
            pos = bytes.size() + 1;
            return 0;
        }
        const std::uint16_t value = static_cast<std::uint16_t>(bytes[pos] | bytes[pos + 1] << 8);
        pos += 2;
        return value;
    }
    std::uint32_t dword() {
        const std::uint32_t low = word();
        return low | static_cast<std::uint32_t>(word()) << 16;
    }
    std::uint8_t byte() { return fits(1) ? bytes[pos++] : 0; }
    // A string, or "#N" for an ordinal. The texts here are ASCII.
    std::string text() {
        std::string result;
        std::uint16_t c = word();
        if (c == 0xFFFF) {
            return "#" + std::to_string(word());
        }
        for (; c != 0 && pos <= bytes.size(); c = word()) {
            result += static_cast<char>(c);
        }
        return result;
    }
    void align() { pos = (pos + 3) & ~static_cast<size_t>(3); }
};

// The predefined window classes are stored either as ordinals or by name.
static std::string className(const std::string& stored) {
    static const char* const kOrdinals[] = {"Button",  "Edit",      "Static",
                                            "ListBox", "ScrollBar", "ComboBox"};
    for (int i = 0; i < 6; ++i) {
        if (stored == "#" + std::to_string(0x80 + i) ||
            _stricmp(stored.c_str(), kOrdinals[i]) == 0) {
            return kOrdinals[i];
        }
    }
    return _stricmp(stored.c_str(), HOTKEY_CLASSA) == 0 ? HOTKEY_CLASSA : stored;
}

struct Control {
    int id;
    std::string windowClass;
    DWORD style;
    DWORD exStyle;
    std::string text;
    short x, y, cx, cy;
};

static bool operator==(const Control& a, const Control& b) {
    return a.id == b.id && a.windowClass == b.windowClass && a.style == b.style &&
           a.exStyle == b.exStyle && a.text == b.text && a.x == b.x && a.y == b.y && a.cx == b.cx &&
           a.cy == b.cy;
}

static std::ostream& operator<<(std::ostream& out, const Control& c) {
    char style[32];
    std::snprintf(style, sizeof style, "%08lX/%08lX", static_cast<unsigned long>(c.style),
                  static_cast<unsigned long>(c.exStyle));
    return out << "{" << c.id << " " << c.windowClass << " " << style << " \"" << c.text << "\" "
               << c.x << "," << c.y << "," << c.cx << "," << c.cy << "}";
}

static const DWORD kChild = WS_CHILD | WS_VISIBLE;
static const DWORD kLabel = kChild | WS_GROUP | SS_LEFT;

// Template order, which is the tab order.
static const Control kControls[] = {
    {1005, "Button", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "Hide this dialog", 140, 177, 59,
     14},
    {1006, "Button", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, "Quit Hushdesk", 204, 177, 51, 14},
    {-1, "Static", kLabel, 0, "Hide all windows", 19, 19, 53, 9},
    {1001, "ComboBox", kChild | CBS_DROPDOWNLIST | WS_TABSTOP, 0, "", 78, 17, 96, 40},
    {-1, "Static", kLabel, 0, "at least one of these sentences:", 180, 19, 104, 9},
    {-1, "Button", kChild | BS_GROUPBOX, 0, "Hot keys", 7, 106, 290, 65},
    {-1, "Static", kLabel, 0,
     "To set up a hot key, click on the corresponding field and press the desired keys.", 14, 119,
     276, 13},
    {-1, "Static", kLabel, 0, "Switch windows visibility", 14, 136, 96, 12},
    {-1, "Static", kLabel, 0, "Bring up this dialog", 14, 152, 138, 12},
    {-1, "Button", kChild | BS_GROUPBOX, 0, "Windows titles", 7, 7, 290, 91},
    {1004, "Edit",
     kChild | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN | WS_VSCROLL |
         WS_BORDER | WS_TABSTOP,
     0, "", 17, 35, 272, 43},
    {1009, "Button", kChild | BS_AUTOCHECKBOX | BS_MULTILINE | WS_TABSTOP, 0,
     "Show this dialog on startup", 42, 175, 66, 18},
    {-1, "Static", kLabel, WS_EX_RIGHT, "(One sentence per line)", 179, 84, 108, 9},
    {-1, "Static", kChild | SS_ICON, 0, "#101", 10, 174, 20, 20},
    {1007, HOTKEY_CLASSA, kChild | WS_BORDER | WS_TABSTOP, 0, "HotKey1", 161, 131, 128, 14},
    {1008, HOTKEY_CLASSA, kChild | WS_BORDER | WS_TABSTOP, 0, "HotKey1", 161, 148, 128, 14},
    {1010, "Button", kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, "Help", 260, 177, 36, 14},
};

TEST_F(Resources, SettingsDialogTemplate) {
    const std::vector<std::uint8_t> bytes = load(RT_DIALOG, 102);
    ASSERT_FALSE(bytes.empty());
    TemplateReader in{bytes};

    // DLGTEMPLATEEX header.
    EXPECT_EQ(in.word(), 1);       // dlgVer
    EXPECT_EQ(in.word(), 0xFFFF);  // signature: extended template
    EXPECT_EQ(in.dword(), 0u);     // helpID
    EXPECT_EQ(in.dword(), 0u);     // exStyle
    // No WS_SYSMENU: no system menu and no close button.
    EXPECT_EQ(in.dword(), static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME |
                                             DS_SETFONT | DS_CENTER | DS_CONTEXTHELP));
    const std::uint16_t count = in.word();
    EXPECT_EQ(static_cast<size_t>(count), std::size(kControls));
    const short x = static_cast<short>(in.word());
    const short y = static_cast<short>(in.word());
    const short cx = static_cast<short>(in.word());
    const short cy = static_cast<short>(in.word());
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(cx, 306);
    EXPECT_EQ(cy, 209);
    EXPECT_EQ(in.text(), "");  // no menu
    EXPECT_EQ(in.text(), "");  // the standard dialog class
    EXPECT_EQ(in.text(), "Hushdesk settings");
    // DS_SETFONT: point size, weight, italic, charset, typeface.
    EXPECT_EQ(in.word(), 8);
    EXPECT_EQ(in.word(), 0);
    EXPECT_EQ(in.byte(), 0);
    EXPECT_EQ(in.byte(), DEFAULT_CHARSET);
    EXPECT_EQ(in.text(), "Tahoma");

    std::vector<Control> controls;
    for (int i = 0; i < count && in.fits(24); ++i) {
        in.align();
        Control c;
        in.dword();  // helpID
        c.exStyle = in.dword();
        c.style = in.dword();
        c.x = static_cast<short>(in.word());
        c.y = static_cast<short>(in.word());
        c.cx = static_cast<short>(in.word());
        c.cy = static_cast<short>(in.word());
        c.id = static_cast<int>(in.dword());
        c.windowClass = className(in.text());
        c.text = in.text();
        const std::uint16_t extra = in.word();
        in.pos += extra;
        controls.push_back(c);
    }
    EXPECT_LE(in.pos, bytes.size());
    ASSERT_EQ(controls.size(), std::size(kControls));
    for (size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i], kControls[i]) << "control " << i << " in template order";
    }
}

// ---- icon group 101 ----------------------------------------------------------

TEST_F(Resources, IconGroupHoldsThreeImagesOf256Colours) {
    const std::vector<std::uint8_t> group = load(RT_GROUP_ICON, 101);
    ASSERT_EQ(group.size(), 6u + 3 * 14);
    TemplateReader in{group};
    EXPECT_EQ(in.word(), 0);  // reserved
    EXPECT_EQ(in.word(), 1);  // type: icon
    ASSERT_EQ(in.word(), 3);
    const int sizes[] = {48, 32, 16};
    for (int size : sizes) {
        SCOPED_TRACE(size);
        EXPECT_EQ(in.byte(), size);  // width
        EXPECT_EQ(in.byte(), size);  // height
        EXPECT_EQ(in.byte(), 0);     // colour count: 0 stands for 256
        EXPECT_EQ(in.byte(), 0);
        EXPECT_EQ(in.word(), 1);  // planes
        EXPECT_EQ(in.word(), 8);  // bits per pixel
        const std::uint32_t length = in.dword();
        const std::uint16_t id = in.word();

        // The image itself: a DIB of that size at 8 bpp that the system
        // turns into an icon of that size.
        std::vector<std::uint8_t> image = load(RT_ICON, id);
        ASSERT_EQ(image.size(), length);
        ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size);  // the colour and the mask halves
        EXPECT_EQ(header.biBitCount, 8);
        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                              0x00030000, 0, 0, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// ---- version block -------------------------------------------------------------

TEST(Version, FixedInfoAndEveryString) {
    const std::string exe = hushdeskExe();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD versionHigh = MAKELONG(HUSHDESK_VERSION_MINOR, HUSHDESK_VERSION_MAJOR);
    const DWORD versionLow = MAKELONG(HUSHDESK_VERSION_TWEAK, HUSHDESK_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, versionHigh);
    EXPECT_EQ(fixed->dwFileVersionLS, versionLow);
    EXPECT_EQ(fixed->dwProductVersionMS, versionHigh);
    EXPECT_EQ(fixed->dwProductVersionLS, versionLow);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileSubtype, 0u);

    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x0409);  // U.S. English
    EXPECT_EQ(translation[1], 0x04B0);  // Unicode

    struct Entry {
        const char* key;
        const char* text;  // nullptr: any text but the empty one
    };
    const Entry entries[] = {
        {"Comments", ""},
        {"CompanyName", ""},
        {"FileDescription", "Hushdesk"},
        {"FileVersion", HUSHDESK_VERSION_TEXT},
        {"InternalName", "Hushdesk"},
        {"LegalCopyright", nullptr},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Hushdesk.exe"},
        {"PrivateBuild", ""},
        {"ProductName", "Hushdesk"},
        {"ProductVersion", HUSHDESK_VERSION_TEXT},
        {"SpecialBuild", ""},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.key);
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + entry.key;
        value = nullptr;
        length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), path.c_str(), &value, &length))
            << "the entry is missing";
        const std::string text = value && length ? static_cast<const char*>(value) : "";
        if (entry.text) {
            EXPECT_EQ(text, entry.text);
        } else {
            EXPECT_FALSE(text.empty());
        }
    }
}
