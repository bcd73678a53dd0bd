// Registry keys: creation, opening, enumeration order, deletion by family, stale handles.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "win32.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;

class RegistryKeys : public FreshRootTest {
protected:
    static HKEY create(HKEY parent, const char* path) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS)
            << path;
        return k;
    }
    static std::vector<std::string> subkeys(HKEY k) {
        std::vector<std::string> names;
        for (DWORD i = 0;; ++i) {
            char name[256];
            DWORD size = sizeof name;
            LONG rc = RegEnumKeyExA(k, i, name, &size, nullptr, nullptr, nullptr, nullptr);
            if (rc != ERROR_SUCCESS) {
                EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
                break;
            }
            EXPECT_EQ(size, std::strlen(name));
            names.push_back(name);
        }
        return names;
    }
};

TEST_F(RegistryKeys, CreateReportsDispositionAndOpenIsCaseInsensitive) {
    HKEY k = nullptr;
    DWORD disp = 0xdeadbeef;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kalvenmor\\Spectrine\\95.4\\", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(k);
    disp = 0xdeadbeef;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\kalvenmor\\SPECTRINE\\95.4", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\KALVENMOR\\spectrine\\95.4", 0, KEY_READ, &k),
              ERROR_SUCCESS);
    RegCloseKey(k);
    // The same path under another root does not exist.
    k = reinterpret_cast<HKEY>(0xdeadbeef);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kalvenmor", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(k, nullptr);
}

TEST_F(RegistryKeys, OpenMissingAndNullArguments) {
    HKEY k;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "No\\Such\\Key", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    std::string tooLong(300, 'k');
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, tooLong.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, tooLong.c_str(), 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeys, EnumerationFollowsCreationOrder) {
    HKEY parent = create(HKEY_CURRENT_USER, "Order");
    for (const char* n : {"zeta", "Alpha", "mid", "Beta"}) RegCloseKey(create(parent, n));
    EXPECT_EQ(subkeys(parent), (std::vector<std::string>{"zeta", "Alpha", "mid", "Beta"}));
    // Deleting one keeps the order of the rest; a new one goes last.
    EXPECT_EQ(RegDeleteKeyA(parent, "ALPHA"), ERROR_SUCCESS);
    RegCloseKey(create(parent, "alpha"));
    EXPECT_EQ(subkeys(parent), (std::vector<std::string>{"zeta", "mid", "Beta", "alpha"}));
    RegCloseKey(parent);
}

TEST_F(RegistryKeys, EnumKeyShortBufferAndClass) {
    HKEY parent = create(HKEY_CURRENT_USER, "E");
    HKEY child = nullptr;
    char cls[] = "MyClass";
    ASSERT_EQ(RegCreateKeyExA(parent, "Child", 0, cls, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    char name[4];
    std::memset(name, 0xbd, sizeof name);
    DWORD size = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    char name2[16], cls2[16];
    DWORD size2 = sizeof name2, clsSize = sizeof cls2;
    EXPECT_EQ(RegEnumKeyExA(parent, 0, name2, &size2, nullptr, cls2, &clsSize, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name2, "Child");
    EXPECT_STREQ(cls2, "MyClass");
    EXPECT_EQ(clsSize, 7u);
    RegCloseKey(parent);
}

TEST_F(RegistryKeys, QueryInfoCountsAndMaxima) {
    HKEY k = create(HKEY_CURRENT_USER, "Info");
    RegCloseKey(create(k, "ab"));
    RegCloseKey(create(k, "abcdef"));
    RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("12345"), 6);
    RegSetValueExA(k, "value", 0, REG_BINARY, reinterpret_cast<const BYTE*>("1"), 1);
    DWORD subKeys = 0xdeadbeef, maxSub = 0xdeadbeef, values = 0xdeadbeef, maxName = 0xdeadbeef, maxData = 0xdeadbeef;
    ASSERT_EQ(RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &values, &maxName,
                               &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSub, 6u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 5u);
    EXPECT_EQ(maxData, 6u);
    RegCloseKey(k);
}

// The last write time that RegQueryInfoKeyA and RegEnumKeyExA give is the time of the last
// change of the key's values or subkeys (creation time before any).
TEST_F(RegistryKeys, LastWriteTimeFollowsEveryChange) {
    auto now = [] {
        SYSTEMTIME st{};
        GetSystemTime(&st);
        FILETIME ft{};
        SystemTimeToFileTime(&st, &ft);
        return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    };
    HKEY parent = create(HKEY_CURRENT_USER, "Times");
    HKEY k = create(parent, "Child");
    auto written = [&](const char* step) {
        SCOPED_TRACE(step);
        FILETIME info{0xdeadbeef, 0xdeadbeef}, listed{0xdeadbeef, 0xdeadbeef};
        EXPECT_EQ(RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, &info),
                  ERROR_SUCCESS);
        char name[16];
        DWORD size = sizeof name;
        EXPECT_EQ(RegEnumKeyExA(parent, 0, name, &size, nullptr, nullptr, nullptr, &listed),
                  ERROR_SUCCESS);
        EXPECT_EQ(info.dwLowDateTime, listed.dwLowDateTime);
        EXPECT_EQ(info.dwHighDateTime, listed.dwHighDateTime);
        return (uint64_t{info.dwHighDateTime} << 32) | info.dwLowDateTime;
    };
    const uint64_t second = 10000000;  // FILETIME steps
    const uint64_t created = written("created");
    EXPECT_LE(created, now() + second);
    EXPECT_GE(created + 5 * second, now());
    const struct {
        const char* step;
        std::function<void()> change;
    } steps[] = {
        {"value set", [&] { RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2); }},
        {"value replaced", [&] { RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2); }},
        {"subkey added", [&] { RegCloseKey(create(k, "Grandchild")); }},
        {"subkey deleted", [&] { RegDeleteKeyA(k, "Grandchild"); }},
        {"value deleted", [&] { RegDeleteValueA(k, "v"); }},
    };
    uint64_t before = created;
    for (const auto& s : steps) {
        usleep(20000);
        s.change();
        const uint64_t after = written(s.step);
        EXPECT_GT(after, before + 100000) << s.step;  // at least 10 ms later
        EXPECT_LE(after, now() + second) << s.step;
        before = after;
    }
    RegCloseKey(k);
    RegCloseKey(parent);
}

TEST_F(RegistryKeys, NinetyFiveFamilyDeletesWholeSubtree) {
    useFamily("98");
    HKEY k = create(HKEY_LOCAL_MACHINE, "Tree\\A\\B\\C");
    RegSetValueExA(k, "deep", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(k);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Tree\\A"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Tree\\A\\B", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Tree", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(RegistryKeys, NtFamilyRefusesKeyWithSubkeys) {
    useFamily("NT5");
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Tree\\A\\B"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Tree\\A"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Tree\\A\\B"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Tree\\A"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Tree\\A"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeys, NtFamilyEnforcesAccessRights) {
    useFamily("NT4");
    RegCloseKey(create(HKEY_LOCAL_MACHINE, "Rights"));
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Rights", 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_ACCESS_DENIED);
    RegCloseKey(k);
    useFamily("95");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Rights", 0, KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(k, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(RegistryKeys, RootsCannotBeDeleted) {
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeys, HandleOfDeletedKeyReportsKeyDeleted) {
    HKEY k = create(HKEY_CURRENT_USER, "Doomed");
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Doomed"), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(RegSetValueExA(k, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(k, "sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_KEY_DELETED);
    char name[8];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(k, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    // A key of the same name made again is a new key.
    RegCloseKey(create(HKEY_CURRENT_USER, "Doomed"));
}

TEST_F(RegistryKeys, StaleAndUnknownHandlesAreHarmless) {
    HKEY k = create(HKEY_CURRENT_USER, "Stale");
    ASSERT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x12345678));
    EXPECT_EQ(RegSetValueExA(bogus, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(nullptr, "x", 0, KEY_READ, &k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryKeys, DynDataIsVolatileAndAbsentOnNt) {
    useFamily("95");
    HKEY k = create(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1234");
    RegSetValueExA(k, "HardWareKey", 0, REG_SZ, reinterpret_cast<const BYTE*>("MONITOR"), 8);
    RegCloseKey(k);
    ASSERT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1234", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
    WinplatResetProcessState();  // as a new process
    EXPECT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager\\Enum\\C29A1234", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    useFamily("NT5");
    EXPECT_EQ(RegOpenKeyExA(HKEY_DYN_DATA, "Config Manager", 0, KEY_READ, &k), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeys, OpenWithEmptyPathGivesNewHandleToSameKey) {
    HKEY k = create(HKEY_CURRENT_USER, "Same");
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyExA(k, "", 0, KEY_ALL_ACCESS, &again), ERROR_SUCCESS);
    EXPECT_NE(again, k);
    RegSetValueExA(again, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(again);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(k);
}

// Names fold ASCII letters only, whatever the locale: under an 8-bit locale whose tolower folds
// 0xC4 to 0xE4, "\xC4pfel" and "\xE4pfel" are still two keys, and each open finds its own
// (also when the first one's handle was cached by the walk before).
TEST_F(RegistryKeys, AnEightBitLocaleFoldsNoMoreThanAscii) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.ISO-8859-1") && !std::setlocale(LC_ALL, "de_DE.iso88591"))
        GTEST_SKIP() << "SKIPPED LOUDLY: the de_DE.ISO-8859-1 locale is not installed "
                        "(scripts/deps.sh test makes it); the key cache is not checked under an "
                        "8-bit locale";
    struct Restore {
        std::string locale;
        ~Restore() { std::setlocale(LC_ALL, locale.c_str()); }
    } restore{saved};
    volatile int upper = 0xC4;  // not a constant: the compiler would fold it in the C locale
    ASSERT_EQ(std::tolower(upper), 0xE4) << "the locale does not fold letters above 127";

    const struct {
        const char* name;
        BYTE mark;
    } keys[] = {{"Software\\Fruit\\\xC4pfel", 0xA1}, {"Software\\Fruit\\\xE4pfel", 0xA2}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        HKEY h = nullptr;
        DWORD disposition = 0xdeadbeef;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, k.name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &h, &disposition),
                  ERROR_SUCCESS);
        EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
        EXPECT_EQ(RegSetValueExA(h, "mark", 0, REG_BINARY, &k.mark, 1), ERROR_SUCCESS);
        RegCloseKey(h);
    }
    for (int round = 0; round < 2; ++round) {
        for (const auto& k : keys) {
            SCOPED_TRACE(std::string(k.name) + (round ? " (again)" : ""));
            HKEY h = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, k.name, 0, KEY_READ, &h), ERROR_SUCCESS);
            BYTE mark = 0xbd;
            DWORD size = 1;
            EXPECT_EQ(RegQueryValueExA(h, "mark", nullptr, nullptr, &mark, &size), ERROR_SUCCESS);
            EXPECT_EQ(mark, k.mark);
            RegCloseKey(h);
        }
    }
    HKEY fruit = create(HKEY_LOCAL_MACHINE, "Software\\Fruit");
    EXPECT_EQ(subkeys(fruit), (std::vector<std::string>{"\xC4pfel", "\xE4pfel"}));
    RegCloseKey(fruit);
}

}  // namespace
