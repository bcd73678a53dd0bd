// Resources compiled into libraries and programs (winplat_add_resources) and read back with
// FindResourceA, LoadResource, SizeofResource and LoadStringA, and through the platform's own
// helpers for bitmaps, icons, cursors and templates. The library is a test double built from
// tests/kernel/resources/library.rc; the test program carries program.rc.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "resources.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using Bytes = std::vector<BYTE>;

const std::string kWithResources = WINPLAT_RESOURCE_DOUBLE_PATH;
const std::string kUsesResources = WINPLAT_RESOURCE_USER_PATH;
const std::string kWithout = WINPLAT_DOUBLE_PATH;
const std::string kAssets = WINPLAT_RESOURCE_ASSETS;

constexpr DWORD kMarker = 0xdeadbeef;
constexpr BYTE kFill = 0xbd;

Bytes readAsset(const std::string& name) {
    std::ifstream in(kAssets + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes bytesOf(std::span<const BYTE> span) { return Bytes(span.begin(), span.end()); }

// The bytes FindResourceA, LoadResource, LockResource and SizeofResource give together.
Bytes resourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    DWORD size = SizeofResource(module, found);
    return data ? Bytes(data, data + size) : Bytes{};
}

// Permissions ("r--p", "r-xp", ...) of the mapping that holds `address`.
std::string mappingPermissions(const void* address) {
    std::ifstream maps("/proc/self/maps");
    const auto at = reinterpret_cast<uintptr_t>(address);
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, permissions;
        fields >> range >> permissions;
        size_t dash = range.find('-');
        uintptr_t begin = std::stoull(range.substr(0, dash), nullptr, 16);
        uintptr_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        if (at >= begin && at < end) return permissions;
    }
    return "<unmapped>";
}

class Resources : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        library = LoadLibraryA(kWithResources.c_str());
        ASSERT_NE(library, nullptr);
    }
    HMODULE library = nullptr;
};

TEST_F(Resources, LoadStringACopiesConvertsAndTruncatesAsWin32Does) {
    struct Case {
        const char* name;
        UINT id;
        int size;
        int result;
        std::string text;
        DWORD error;  // kMarker: left alone
    };
    const Case cases[] = {
        {"whole string", 0, 128, 15, "String resource", kMarker},
        {"buffer of length + 1", 0, 16, 15, "String resource", kMarker},
        {"buffer of the length cuts one", 0, 15, 14, "String resourc", kMarker},
        {"buffer of 2", 0, 2, 1, "S", kMarker},
        {"buffer of 1 holds the terminator only", 1, 1, 0, "", kMarker},
        {"high word ignored", 0xFFFF0000u, 128, 15, "String resource", kMarker},
        {"one character", 1, 128, 1, "x", kMarker},
        {"empty string", 2, 128, 0, "", kMarker},
        {"missing from a present table", 3, 128, 0, "", kMarker},
        {"UTF-16 to Windows-1252", 5, 128, 13, "Trade\x99 caf\xe9 ?", kMarker},
        {"last of a table", 15, 128, 23, "last of the first table", kMarker},
        {"first of the next table", 16, 128, 25, "first of the second table", kMarker},
        {"caption string", 57344, 256, 9, "Spectrine", kMarker},
        {"highest id", 65535, 8, 7, "highest", kMarker},
        {"table missing", 32, 128, 0, "", ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[300];
        std::memset(buffer, kFill, sizeof buffer);
        SetLastError(kMarker);
        EXPECT_EQ(LoadStringA(library, c.id, buffer, c.size), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(std::string(buffer, std::strlen(buffer)), c.text);
        EXPECT_EQ(static_cast<BYTE>(buffer[c.text.size() + 1]), kFill) << "written past the end";
    }
}

TEST_F(Resources, LoadStringAWithoutRoomReturnsMinusOneAndBadArgumentsFail) {
    char buffer[4] = {'a', 'b', 'c', 'd'};
    SetLastError(kMarker);
    EXPECT_EQ(LoadStringA(library, 0, buffer, 0), -1);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(GetLastError(), kMarker);

    EXPECT_EQ(LoadStringA(library, 0, buffer, -1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    SetLastError(kMarker);
    EXPECT_EQ(LoadStringA(library, 0, nullptr, 10), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Resources, FindResourceMatchesNumbersAndNamesAndReportsWhatIsMissing) {
    struct Case {
        const char* name;
        LPCSTR resource;
        LPCSTR type;
        Bytes data;  // empty: the lookup fails with `error`
        DWORD error;
    };
    const Bytes numbers = {1, 0, 2, 0, 3, 0};  // RCDATA numbers are WORDs
    const Bytes german = {'d', 'e', 'u', 't', 's', 'c', 'h'};
    const Case cases[] = {
        {"number", MAKEINTRESOURCEA(226), RT_RCDATA, numbers, 0},
        {"number as #text", "#226", RT_RCDATA, numbers, 0},
        {"type as #text", MAKEINTRESOURCEA(226), "#10", numbers, 0},
        {"#text read up to its digits", "#226x", RT_RCDATA, numbers, 0},
        {"name, first language of two", "Sample", RT_RCDATA, german, 0},
        {"name ignoring case", "sAMPLe", RT_RCDATA, german, 0},
        {"prefix of a name", "Sampl", RT_RCDATA, {}, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"name where a number is", "226", RT_RCDATA, {}, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"missing number", MAKEINTRESOURCEA(227), RT_RCDATA, {}, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"missing type", MAKEINTRESOURCEA(226), RT_ANICURSOR, {}, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"missing named type", MAKEINTRESOURCEA(226), "AVI", {}, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"#number beyond a WORD", "#65536", RT_RCDATA, {}, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kMarker);
        HRSRC found = FindResourceA(library, c.resource, c.type);
        if (c.data.empty()) {
            EXPECT_EQ(found, nullptr);
            EXPECT_EQ(GetLastError(), c.error);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(GetLastError(), kMarker);
        EXPECT_EQ(SizeofResource(library, found), c.data.size());
        auto* data = static_cast<const BYTE*>(LockResource(LoadResource(library, found)));
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(Bytes(data, data + c.data.size()), c.data);
    }
}

TEST_F(Resources, FindResourceExATakesTheLanguageAskedFor) {
    struct Case {
        const char* name;
        WORD language;
        std::string data;  // empty: ERROR_RESOURCE_LANG_NOT_FOUND
    };
    const Case cases[] = {
        {"English (US)", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), "english"},
        {"German", MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT), "deutsch"},
        {"neutral takes the first", MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), "deutsch"},
        {"French is not there", MAKELANGID(LANG_FRENCH, SUBLANG_DEFAULT), ""},
        {"English (UK) is not there", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kMarker);
        HRSRC found = FindResourceExA(library, RT_RCDATA, "SAMPLE", c.language);
        if (c.data.empty()) {
            EXPECT_EQ(found, nullptr);
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
            continue;
        }
        ASSERT_NE(found, nullptr);
        auto* data = static_cast<const char*>(LockResource(LoadResource(library, found)));
        EXPECT_EQ(std::string(data, SizeofResource(library, found)), c.data);
    }
}

TEST_F(Resources, TheProgramsResourcesComeWithANullModuleAndOnlyThem) {
    char buffer[64];
    std::memset(buffer, kFill, sizeof buffer);
    EXPECT_EQ(LoadStringA(nullptr, 0, buffer, sizeof buffer), 14);
    EXPECT_STREQ(buffer, "Program string");
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 0, buffer, sizeof buffer), 14);

    const Bytes program = {'p', 'r', 'o', 'g', 'r', 'a', 'm'};
    EXPECT_EQ(resourceBytes(nullptr, MAKEINTRESOURCEA(226), RT_RCDATA), program);
    EXPECT_EQ(resourceBytes(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(226), RT_RCDATA),
              program);
    // The library's strings are not the program's, loaded or not.
    SetLastError(kMarker);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(300), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(resourceBytes(library, MAKEINTRESOURCEA(226), RT_RCDATA),
              (Bytes{1, 0, 2, 0, 3, 0}));
}

TEST_F(Resources, ModulesWithoutResourcesOfTheirOwnHaveNone) {
    HMODULE without = LoadLibraryA(kWithout.c_str());
    ASSERT_NE(without, nullptr);
    HMODULE user = LoadLibraryA(kUsesResources.c_str());
    ASSERT_NE(user, nullptr);
    // The dynamic loader itself would hand out the dependency's resources.
    void* handle = dlopen(kUsesResources.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "WinplatResources"), nullptr);
    dlclose(handle);

    for (HMODULE module : {without, user}) {
        SCOPED_TRACE(module == user ? "uses a library with resources" : "plain library");
        SetLastError(kMarker);
        EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(226), RT_RCDATA), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
        char buffer[8];
        std::memset(buffer, kFill, sizeof buffer);
        SetLastError(kMarker);
        EXPECT_EQ(LoadStringA(module, 0, buffer, sizeof buffer), 0);
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_EQ(static_cast<BYTE>(buffer[1]), kFill);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    }

    ASSERT_TRUE(FreeLibrary(without));
    SetLastError(kMarker);
    EXPECT_EQ(FindResourceA(without, MAKEINTRESOURCEA(226), RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(Resources, AResourceHandleCountsOnlyWithItsModule) {
    HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(226), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    HRSRC programs = FindResourceA(nullptr, MAKEINTRESOURCEA(226), RT_RCDATA);
    ASSERT_NE(programs, nullptr);
    struct Case {
        const char* name;
        HMODULE module;
        HRSRC handle;
    };
    const Case cases[] = {
        {"the program's handle with the library", library, programs},
        {"the library's handle with the program", nullptr, found},
        {"inside a record", library, reinterpret_cast<HRSRC>(reinterpret_cast<char*>(found) + 4)},
        {"no handle", library, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kMarker);
        EXPECT_EQ(LoadResource(c.module, c.handle), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(kMarker);
        EXPECT_EQ(SizeofResource(c.module, c.handle), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_FALSE(FreeResource(LoadResource(library, found)));
}

TEST_F(Resources, DataLiesInReadOnlyMemory) {
    HGLOBAL data = LoadResource(library, FindResourceA(library, MAKEINTRESOURCEA(226), RT_RCDATA));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(mappingPermissions(data).substr(0, 2), "r-");
}

// Hand-written from the Win32 template layouts, field by field; windres must produce exactly
// these bytes for the templates of library.rc, and the loader must hand them over unchanged.
const Bytes kDialogEx = {
    0x01, 0x00, 0xff, 0xff,                          // dlgVer 1, signature 0xFFFF
    0x00, 0x00, 0x00, 0x00,                          // helpID
    0x00, 0x04, 0x00, 0x00,                          // exStyle WS_EX_CONTEXTHELP
    0xc0, 0x00, 0xc8, 0x80,                          // style POPUP|CAPTION|SYSMENU|MODALFRAME|SETFONT
    0x02, 0x00,                                      // cDlgItems
    0x0a, 0x00, 0x14, 0x00, 0xb4, 0x00, 0x5a, 0x00,  // x 10, y 20, cx 180, cy 90
    0x00, 0x00, 0x00, 0x00,                          // no menu, default class
    'S', 0, 'p', 0, 'e', 0, 'c', 0, 't', 0, 'r', 0, 'i', 0, 'n', 0, 'e', 0, 0, 0,  // title
    0x08, 0x00, 0x90, 0x01, 0x00, 0x01,              // 8 point, weight 400, not italic, charset 1
    'M', 0, 'S', 0, ' ', 0, 'S', 0, 'h', 0, 'e', 0, 'l', 0, 'l', 0, ' ', 0, 'D', 0, 'l', 0,
    'g', 0, 0, 0,                                    // typeface
    0x00, 0x00,                                      // to a DWORD boundary
    // DEFPUSHBUTTON "OK", IDOK
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // helpID, exStyle
    0x01, 0x00, 0x01, 0x50,                          // CHILD|VISIBLE|TABSTOP|BS_DEFPUSHBUTTON
    0x78, 0x00, 0x46, 0x00, 0x32, 0x00, 0x0e, 0x00,  // 120, 70, 50, 14
    0x01, 0x00, 0x00, 0x00,                          // id (a DWORD)
    0xff, 0xff, 0x80, 0x00,                          // class: button atom
    'O', 0, 'K', 0, 0, 0,                            // text
    0x00, 0x00,                                      // no creation data
    // CONTROL "", 1001, "msctls_trackbar32" (windres writes class names in capitals)
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // helpID, exStyle
    0x01, 0x00, 0x01, 0x50,                          // CHILD|VISIBLE|TABSTOP|TBS_AUTOTICKS
    0x0a, 0x00, 0x0a, 0x00, 0x64, 0x00, 0x0f, 0x00,  // 10, 10, 100, 15
    0xe9, 0x03, 0x00, 0x00,                          // id 1001
    'M', 0, 'S', 0, 'C', 0, 'T', 0, 'L', 0, 'S', 0, '_', 0, 'T', 0, 'R', 0, 'A', 0, 'C', 0,
    'K', 0, 'B', 0, 'A', 0, 'R', 0, '3', 0, '2', 0, 0, 0,  // class by name
    0x00, 0x00,                                      // empty text
    0x00, 0x00,                                      // no creation data
};

const Bytes kDialog = {
    0xc0, 0x00, 0xc0, 0x80,                          // style POPUP|CAPTION|MODALFRAME|SETFONT
    0x00, 0x00, 0x00, 0x00,                          // dwExtendedStyle
    0x01, 0x00,                                      // cdit
    0x00, 0x00, 0x00, 0x00, 0x78, 0x00, 0x28, 0x00,  // x 0, y 0, cx 120, cy 40
    0x00, 0x00, 0x00, 0x00,                          // no menu, default class
    'C', 0, 'l', 0, 'a', 0, 's', 0, 's', 0, 'i', 0, 'c', 0, 0, 0,  // title
    0x08, 0x00,                                      // 8 point
    'M', 0, 'S', 0, ' ', 0, 'S', 0, 'h', 0, 'e', 0, 'l', 0, 'l', 0, ' ', 0, 'D', 0, 'l', 0,
    'g', 0, 0, 0,                                    // typeface
    0x00, 0x00,                                      // to a DWORD boundary
    // PUSHBUTTON "Cancel", IDCANCEL
    0x00, 0x00, 0x01, 0x50,                          // CHILD|VISIBLE|TABSTOP|BS_PUSHBUTTON
    0x00, 0x00, 0x00, 0x00,                          // dwExtendedStyle
    0x3c, 0x00, 0x14, 0x00, 0x32, 0x00, 0x0e, 0x00,  // 60, 20, 50, 14
    0x02, 0x00,                                      // id (a WORD)
    0xff, 0xff, 0x80, 0x00,                          // class: button atom
    'C', 0, 'a', 0, 'n', 0, 'c', 0, 'e', 0, 'l', 0, 0, 0,  // text
    0x00, 0x00,                                      // no creation data
};

const Bytes kMenu = {
    0x00, 0x00, 0x00, 0x00,                          // versionNumber 0, offset 0
    0x90, 0x00, '&', 0, 'T', 0, 'r', 0, 'a', 0, 'y', 0, 0, 0,  // MF_POPUP|MF_END "&Tray"
    0x00, 0x00, 0x00, 0x80, '&', 0, 'O', 0, 'p', 0, 'e', 0, 'n', 0, 0, 0,  // 32768 "&Open"
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // separator
    0x81, 0x00, 0x01, 0x80, 'E', 0, '&', 0, 'x', 0, 'i', 0, 't', 0, 0, 0,  // MF_GRAYED|MF_END 32769
};

const Bytes kAccelerators = {
    0x09, 0x00, 'A', 0x00, 0x10, 0x00, 0x00, 0x00,  // FVIRTKEY|FCONTROL 'A' -> 16
    0x81, 0x00, 0x70, 0x00, 0x09, 0x00, 0x00, 0x00,  // FVIRTKEY|last VK_F1 -> 9
};

TEST_F(Resources, TemplatesArriveAsTheirWin32Bytes) {
    struct Case {
        const char* name;
        WORD id;
        LPCSTR type;
        const Bytes& expected;
    };
    const Case cases[] = {
        {"DIALOGEX", 200, RT_DIALOG, kDialogEx},
        {"DIALOG", 201, RT_DIALOG, kDialog},
        {"MENU", 100, RT_MENU, kMenu},
        {"ACCELERATORS", 128, RT_ACCELERATOR, kAccelerators},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(resourceBytes(library, MAKEINTRESOURCEA(c.id), c.type), c.expected);
        auto data = winplat::detail::resourceData(library, MAKEINTRESOURCEA(c.id), c.type);
        ASSERT_TRUE(data);
        EXPECT_EQ(bytesOf(*data), c.expected);
    }
}

TEST_F(Resources, ABitmapIsItsFileWithoutTheFileHeader) {
    const Bytes file = readAsset("dib8.bmp");
    ASSERT_GT(file.size(), 14u);
    const Bytes packed(file.begin() + 14, file.end());
    EXPECT_EQ(resourceBytes(library, MAKEINTRESOURCEA(300), RT_BITMAP), packed);

    auto dib = winplat::detail::bitmapResource(library, MAKEINTRESOURCEA(300));
    ASSERT_TRUE(dib);
    EXPECT_EQ(bytesOf(dib->bytes), packed);
    EXPECT_EQ(dib->width, 5);
    EXPECT_EQ(dib->height, 3);
    EXPECT_EQ(dib->bitCount, 8);
    EXPECT_EQ(dib->colourCount, 256u);
    EXPECT_EQ(dib->colourOffset, 40u);
    EXPECT_EQ(dib->bitsOffset, 40u + 1024u);
    EXPECT_EQ(dib->stride, 8u);
    // The generator's pixel (x, y) is 16y + 40x + 1; rows are stored bottom-up.
    EXPECT_EQ(dib->bytes[dib->bitsOffset + 2 * dib->stride + 4], 161);  // (4, 0)
    EXPECT_EQ(dib->bytes[dib->bitsOffset + 0 * dib->stride + 1], 73);   // (1, 2)

    SetLastError(kMarker);
    EXPECT_FALSE(winplat::detail::bitmapResource(library, MAKEINTRESOURCEA(301)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    SetLastError(kMarker);
    EXPECT_FALSE(winplat::detail::bitmapResource(library, MAKEINTRESOURCEA(226)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// The image the file's directory entry `index` points at (ICONDIRENTRY: 16 bytes after a
// 6-byte head, size at 8, offset at 12).
Bytes fileImage(const Bytes& file, size_t index) {
    const size_t entry = 6 + 16 * index;
    auto dword = [&](size_t at) {
        return static_cast<size_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                   file[at + 3] << 24);
    };
    const size_t size = dword(entry + 8), offset = dword(entry + 12);
    return Bytes(file.begin() + static_cast<ptrdiff_t>(offset),
                 file.begin() + static_cast<ptrdiff_t>(offset + size));
}

TEST_F(Resources, ACursorGivesTheImageOfTheSizeAskedForWithItsHotSpot) {
    const Bytes file = readAsset("pointer.cur");
    struct Case {
        const char* name;
        int cx, cy;
        size_t fileIndex;  // pointer.cur: 0 is 32 x 32 (hot spot 3, 5), 1 is 16 x 16 (1, 2)
        POINT hotSpot;
        int size;
    };
    const Case cases[] = {
        {"exactly 32", 32, 32, 0, {3, 5}, 32},
        {"exactly 16", 16, 16, 1, {1, 2}, 16},
        {"largest no larger", 24, 24, 1, {1, 2}, 16},
        {"larger than all", 64, 64, 0, {3, 5}, 32},
        {"smaller than all: the smallest", 8, 8, 1, {1, 2}, 16},
        {"no size: the first", 0, 0, 0, {3, 5}, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = winplat::detail::iconResource(library, MAKEINTRESOURCEA(301), true, c.cx,
                                                   c.cy, 32);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->id, c.fileIndex + 1);  // windres numbers the images from 1
        EXPECT_EQ(image->hotSpot.x, c.hotSpot.x);
        EXPECT_EQ(image->hotSpot.y, c.hotSpot.y);
        EXPECT_EQ(image->dib.width, c.size);
        EXPECT_EQ(image->dib.height, c.size);
        EXPECT_EQ(image->dib.bitCount, 1);
        EXPECT_EQ(bytesOf(image->dib.bytes), fileImage(file, c.fileIndex));
        const size_t maskRow = (static_cast<size_t>(c.size) + 31) / 32 * 4;
        EXPECT_EQ(image->maskOffset, image->dib.bitsOffset + image->dib.stride * c.size);
        EXPECT_EQ(image->maskOffset + maskRow * c.size, image->dib.bytes.size());
    }
}

TEST_F(Resources, AnIconGivesTheNearestSizeThenTheNearestDepth) {
    const Bytes file = readAsset("sizes.ico");
    struct Case {
        const char* name;
        int cx, cy, bitsPerPixel;
        size_t fileIndex;  // sizes.ico: 16 x 16 x 4, 32 x 32 x 4, 32 x 32 x 8
    };
    const Case cases[] = {
        {"small icon", 16, 16, 32, 0},
        {"large icon, true colour", 32, 32, 32, 2},
        {"large icon, 16 colours", 32, 32, 4, 1},
        {"large icon, monochrome", 32, 32, 1, 1},
        {"20 is nearer 16", 20, 20, 8, 0},
        {"26 is nearer 32", 26, 26, 8, 2},
        {"no size: the first's size", 0, 0, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = winplat::detail::iconResource(library, MAKEINTRESOURCEA(302), false, c.cx,
                                                   c.cy, c.bitsPerPixel);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->id, c.fileIndex + 1);
        EXPECT_EQ(bytesOf(image->dib.bytes), fileImage(file, c.fileIndex));
        EXPECT_EQ(image->hotSpot.x, image->dib.width / 2);
        EXPECT_EQ(image->hotSpot.y, image->dib.height / 2);
    }
    SetLastError(kMarker);
    EXPECT_FALSE(winplat::detail::iconResource(library, MAKEINTRESOURCEA(302), true, 32, 32, 32));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND))
        << "an icon is no cursor";
}

}  // namespace
