// Libraries loaded at run time: Windows names and paths, the ".dll" to lib<stem>.so mapping,
// reference counting, exports, the system libraries that are the platform layer itself, module
// file names and handles. The libraries loaded are test doubles built beside the test program
// (tests/doubles), copied into the test's system root where a test needs other names.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <source_location>
#include <string>
#include <thread>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"

namespace {

namespace fs = std::filesystem;
using spx::test::FreshRootTest;

const std::string kDouble = WINPLAT_DOUBLE_PATH;
const std::string kUnresolved = WINPLAT_UNRESOLVED_PATH;
const std::string kLoader = WINPLAT_LOADER_PATH;
const std::string kAttach = WINPLAT_ATTACH_PATH;

constexpr DWORD kMarker = 0xdeadbeef;

std::string programPath() { return fs::read_symlink("/proc/self/exe").string(); }

std::string canonical(const std::string& path) { return fs::canonical(path).string(); }

// Whether the dynamic loader still has the library: the only witness that FreeLibrary really
// unloaded it.
bool isLoaded(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

std::string moduleFileName(HMODULE h) {
    char buffer[4096];
    DWORD n = GetModuleFileNameA(h, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string("<failed>");
}

using AnswerFn = int (*)(const char*);

// The double's function answers strlen(text) * 100 + its data export.
void expectDoubleAnswers(HMODULE h, int data,
                         std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(testing::Message() << "called from line " << where.line());
    FARPROC fn = GetProcAddress(h, "WinplatDoubleAnswer");
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(reinterpret_cast<AnswerFn>(fn)("abc"), 300 + data);
}

class Libraries : public FreshRootTest {
protected:
    // Copies a test double into the root under another name; returns its absolute path.
    std::string copyDouble(const std::string& source, const std::string& relative) const {
        fs::path target = rootPath(relative);
        fs::create_directories(target.parent_path());
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
        return target.string();
    }
};

TEST_F(Libraries, AFullPathLoadsTheLibraryWithItsFunctionAndData) {
    SetLastError(kMarker);
    HMODULE h = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetLastError(), kMarker);
    EXPECT_TRUE(isLoaded(kDouble));
    expectDoubleAnswers(h, 41);

    auto* data = reinterpret_cast<int*>(GetProcAddress(h, "WinplatDoubleData"));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*data, 41);
    *data = 7;
    expectDoubleAnswers(h, 7);  // the data export is the library's own variable

    EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_FALSE(isLoaded(kDouble));
}

TEST_F(Libraries, WindowsPathsResolveCaseAndTheDllNameToTheSharedObject) {
    const std::string upper = copyDouble(kDouble, "Suite Folder/libOEMEXT.so");
    const std::string lower = copyDouble(kDouble, "Suite Folder/liboemext.so");
    const std::string asGiven = copyDouble(kDouble, "Suite Folder/USBExt.dll");
    writeFile("Suite Folder/libUSBExt.so", "not the one: USBExt.dll exists as given\n");
    const std::string r = root();
    struct Case {
        std::string name;
        std::string loaded;
    } cases[] = {
        {r + "/Suite Folder/libOEMEXT.so", upper},
        {r + "\\SUITE FOLDER\\libOEMEXT.so", upper},
        {r + "\\Suite Folder\\OEMEXT.DLL", upper},   // the stem's exact case first
        {r + "\\suite folder\\oemext.dll", lower},
        {r + "\\Suite Folder\\OemExt.Dll", upper},   // no exact match: first in byte order
        {r + "\\Suite Folder\\OEMEXT", upper},        // no extension: ".dll" is meant
        {r + "\\SUITE FOLDER\\usbext.DLL", asGiven},  // the file itself, ignoring case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kMarker);
        HMODULE h = LoadLibraryA(c.name.c_str());
        ASSERT_NE(h, nullptr) << GetLastError();
        EXPECT_EQ(GetLastError(), kMarker);
        EXPECT_EQ(moduleFileName(h), c.loaded);
        expectDoubleAnswers(h, 41);
        EXPECT_EQ(FreeLibrary(h), TRUE);
        EXPECT_FALSE(isLoaded(c.loaded));
    }
}

TEST_F(Libraries, AMissingLibraryIsModNotFound) {
    writeFile("Suite/readme.txt", "a folder without libraries\n");
    const std::string r = root();
    const std::string names[] = {
        r + "\\Suite\\OEMEXT.DLL",         // neither OEMEXT.DLL nor libOEMEXT.so
        r + "\\Suite\\libOEMEXT.so",
        r + "\\No Such Folder\\OEMEXT.DLL",
        r + "\\Suite",                      // a folder is no library
        "WinplatNoSuchLibrary.dll",         // bare: program folder, suite folder, system path
        "libWinplatNoSuchLibrary.so",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SetLastError(kMarker);
        EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    }
}

TEST_F(Libraries, AFileThatIsNoLibraryIsBadExeFormat) {
    writeFile("Suite/NOTALIB.DLL", "MZ but only text\r\n");
    writeFile("Suite/libFake.so", "");
    writeFile("Suite/libShort.so", "\x7f" "ELF");
    const std::string r = root();
    const std::string names[] = {
        r + "\\Suite\\notalib.dll",
        r + "\\Suite\\Fake.dll",  // an empty lib<stem>.so
        r + "\\Suite\\libShort.so",
        programPath(),  // an executable, not a library
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SetLastError(kMarker);
        EXPECT_EQ(LoadLibraryA(name.c_str()), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    }
}

TEST_F(Libraries, AMissingImportRefusesTheLoadUnlessReferencesMayWait) {
    SetLastError(kMarker);
    EXPECT_EQ(LoadLibraryA(kUnresolved.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_FALSE(isLoaded(kUnresolved));

    HMODULE h = LoadLibraryExA(kUnresolved.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(h, nullptr) << GetLastError();
    EXPECT_NE(GetProcAddress(h, "WinplatUnresolvedCall"), nullptr);
    EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_FALSE(isLoaded(kUnresolved));
}

TEST_F(Libraries, EveryLoadNeedsItsOwnFree) {
    HMODULE first = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(first, nullptr);
    auto* data = reinterpret_cast<int*>(GetProcAddress(first, "WinplatDoubleData"));
    ASSERT_NE(data, nullptr);
    *data = 5;
    // The same library under another spelling is the same module.
    const std::string other = fs::path(kDouble).parent_path().string() + "\\WinplatDouble.dll";
    HMODULE second = LoadLibraryA(other.c_str());
    EXPECT_EQ(second, first);

    EXPECT_EQ(FreeLibrary(first), TRUE);
    EXPECT_TRUE(isLoaded(kDouble));
    expectDoubleAnswers(first, 5);

    EXPECT_EQ(FreeLibrary(first), TRUE);
    EXPECT_FALSE(isLoaded(kDouble));

    // The handle is stale now: every call on it fails and writes nothing.
    SetLastError(kMarker);
    EXPECT_EQ(FreeLibrary(first), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetLastError(kMarker);
    EXPECT_EQ(GetProcAddress(first, "WinplatDoubleAnswer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    char buffer[16];
    std::memset(buffer, 0xbd, sizeof buffer);
    SetLastError(kMarker);
    EXPECT_EQ(GetModuleFileNameA(first, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xbd);

    // Loaded again, it is a new module with a new handle and fresh data.
    HMODULE again = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, first);
    expectDoubleAnswers(again, 41);
    EXPECT_EQ(FreeLibrary(again), TRUE);
}

TEST_F(Libraries, OnlyTheLibrarysOwnNamedExportsAreFound) {
    HMODULE h = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(h, nullptr);
    struct Case {
        const char* what;
        LPCSTR name;
    } cases[] = {
        {"missing", "WinplatDoubleMissing"},
        {"wrong case", "winplatdoubleanswer"},
        {"from the C library it uses", "strlen"},
        {"ordinal 1", reinterpret_cast<LPCSTR>(1)},
        {"ordinal 0xFFFF", reinterpret_cast<LPCSTR>(0xFFFF)},
        {"null name", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kMarker);
        EXPECT_EQ(GetProcAddress(h, c.name), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    }
    SetLastError(kMarker);
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(0x12345678), "WinplatDoubleAnswer"),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(FreeLibrary(h), TRUE);

    char text[64];
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_MOD_NOT_FOUND, 0, text,
                             sizeof text, nullptr), 0u);
    EXPECT_STREQ(text, "The specified module could not be found.\r\n");
    ASSERT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_PROC_NOT_FOUND, 0, text,
                             sizeof text, nullptr), 0u);
    EXPECT_STREQ(text, "The specified procedure could not be found.\r\n");
}

TEST_F(Libraries, TheSystemLibrariesAreThePlatformLayer) {
    const char* names[] = {"user32.dll", "USER32.DLL", "user32", "gdi32.dll", "Kernel32.dll",
                           "ADVAPI32", "ComCtl32.dll", "shell32.dll", "OLE32", "shlwapi.dll", "WinMM.dll"};
    HMODULE platform = nullptr;
    for (const char* name : names) {
        SCOPED_TRACE(name);
        HMODULE h = LoadLibraryA(name);
        ASSERT_NE(h, nullptr);
        if (!platform) platform = h;
        EXPECT_EQ(h, platform);
        EXPECT_EQ(GetModuleHandleA(name), platform);
    }
    EXPECT_EQ(GetProcAddress(platform, "EnumDisplayMonitors"),
              reinterpret_cast<FARPROC>(&EnumDisplayMonitors));
    EXPECT_EQ(GetProcAddress(platform, "RegOpenKeyExA"), reinterpret_cast<FARPROC>(&RegOpenKeyExA));
    EXPECT_EQ(GetProcAddress(platform, "GetDeviceGammaRamp"),
              reinterpret_cast<FARPROC>(&GetDeviceGammaRamp));
    // Neither the libraries the platform uses nor its internals are exports.
    SetLastError(kMarker);
    EXPECT_EQ(GetProcAddress(platform, "sqlite3_open"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(platform, "_ZN7winplat6detail14resetLibrariesEv"), nullptr);
    EXPECT_EQ(moduleFileName(platform), canonical(WINPLAT_LIBRARY_PATH));

    // Always in the process: freeing it changes nothing.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(FreeLibrary(platform), TRUE);
    EXPECT_EQ(GetProcAddress(platform, "EnumDisplayMonitors"),
              reinterpret_cast<FARPROC>(&EnumDisplayMonitors));
    // A path is a path: a file named user32.dll is looked for, not the platform.
    SetLastError(kMarker);
    EXPECT_EQ(LoadLibraryA((root() + "\\WINDOWS\\SYSTEM\\USER32.DLL").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

// GetModuleFileNameA keeps the later Windows contract: a path that does not fit is truncated
// and terminated, the result is nSize and the last error ERROR_INSUFFICIENT_BUFFER.
void checkFileNameBuffers(HMODULE h, const std::string& expected) {
    const DWORD length = static_cast<DWORD>(expected.size());
    ASSERT_GT(length, 4u);
    struct Case {
        DWORD size;
        DWORD result;
        DWORD error;
        std::string text;
    } cases[] = {
        {length + 10, length, kMarker, expected},
        {length + 1, length, kMarker, expected},
        {length, length, ERROR_INSUFFICIENT_BUFFER, expected.substr(0, length - 1)},
        {5, 5, ERROR_INSUFFICIENT_BUFFER, expected.substr(0, 4)},
        {1, 1, ERROR_INSUFFICIENT_BUFFER, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size);
        std::string buffer(c.size + 1, '\xbd');
        SetLastError(kMarker);
        EXPECT_EQ(GetModuleFileNameA(h, buffer.data(), c.size), c.result);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(std::string(buffer.c_str()), c.text);
        EXPECT_EQ(buffer[c.text.size()], '\0');
        EXPECT_EQ(static_cast<unsigned char>(buffer[c.size]), 0xbd);  // one past the end
    }
    char untouched = '\xbd';
    SetLastError(kMarker);
    EXPECT_EQ(GetModuleFileNameA(h, &untouched, 0), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(static_cast<unsigned char>(untouched), 0xbd);
}

TEST_F(Libraries, TheProgramsFileNameFitsOrIsTruncated) {
    SCOPED_TRACE("the program");
    checkFileNameBuffers(nullptr, programPath());
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    checkFileNameBuffers(program, programPath());
}

TEST_F(Libraries, ALibrarysFileNameFitsOrIsTruncated) {
    const std::string path = copyDouble(kDouble, "Suite Folder/libOEMEXT.so");
    HMODULE h = LoadLibraryA((root() + "\\suite folder\\OEMEXT.DLL").c_str());
    ASSERT_NE(h, nullptr);
    SCOPED_TRACE("the library");
    checkFileNameBuffers(h, path);
    EXPECT_EQ(FreeLibrary(h), TRUE);
}

TEST_F(Libraries, ABareNameIsLookedForBesideTheProgramFirst) {
    // The test program and the doubles are built in one folder.
    ASSERT_EQ(fs::path(programPath()).parent_path(), fs::path(kDouble).parent_path());
    HMODULE byPath = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(byPath, nullptr);
    for (const char* name : {"WinplatDouble.dll", "WINPLATDOUBLE.DLL", "winplatdouble",
                             "libWinplatDouble.so"}) {
        SCOPED_TRACE(name);
        HMODULE h = LoadLibraryA(name);
        EXPECT_EQ(h, byPath);
        EXPECT_EQ(moduleFileName(h), kDouble);
        EXPECT_EQ(FreeLibrary(h), TRUE);
    }
    EXPECT_EQ(FreeLibrary(byPath), TRUE);
    EXPECT_FALSE(isLoaded(kDouble));

    // Not beside the program nor in the suite folder: the system's library path.
    HMODULE m = LoadLibraryA("libm.so.6");
    ASSERT_NE(m, nullptr) << GetLastError();
    EXPECT_NE(GetProcAddress(m, "cos"), nullptr);
    EXPECT_EQ(fs::path(moduleFileName(m)).filename(), "libm.so.6");
    EXPECT_EQ(FreeLibrary(m), TRUE);
}

// Runs the loading program from `program` with the names; its output, one line per name.
std::string runLoadByName(const std::string& program, const std::string& names) {
    std::string output;
    FILE* pipe = popen((program + " " + names).c_str(), "r");
    if (!pipe) return "<popen failed>";
    char buffer[512];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    int status = pclose(pipe);
    return status == 0 ? output : output + "<exit " + std::to_string(status) + ">";
}

TEST_F(Libraries, ABareNameIsLookedForBesideTheProgramThenInTheSuiteFolder) {
    // A copy of the program in a folder of its own; the platform layer and the doubles stay in
    // the build folder, which is then the suite folder.
    const std::string program = copyDouble(WINPLAT_LOAD_BY_NAME_PATH, "Program/load_by_name");
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    EXPECT_EQ(runLoadByName(program, "WinplatDouble.dll OEMEXT.DLL"),
              kDouble + "\nerror " + std::to_string(ERROR_MOD_NOT_FOUND) + "\n");

    const std::string besideProgram = copyDouble(kDouble, "Program/libWinplatDouble.so");
    copyDouble(kDouble, "Program/libOEMEXT.so");
    EXPECT_EQ(runLoadByName(program, "WinplatDouble.dll oemext"),
              besideProgram + "\n" + rootPath("Program/libOEMEXT.so") + "\n");
}

TEST_F(Libraries, GetModuleHandleFindsLoadedLibrariesWithoutCounting) {
    SetLastError(kMarker);
    EXPECT_EQ(GetModuleHandleA("OEMEXT.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    const std::string path = copyDouble(kDouble, "Extensions/libOEMEXT.so");
    HMODULE h = LoadLibraryA((root() + "\\EXTENSIONS\\OEMEXT.DLL").c_str());
    ASSERT_NE(h, nullptr);
    // By its base name wherever it was loaded from, by its Windows name, by its path.
    for (const std::string& name : {std::string("OEMEXT.DLL"), std::string("oemext"),
                                    std::string("libOEMEXT.so"), path,
                                    root() + "\\extensions\\OemExt.dll"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GetModuleHandleA(name.c_str()), h);
    }
    // None of those counted: one FreeLibrary unloads it.
    EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_FALSE(isLoaded(path));
    SetLastError(kMarker);
    EXPECT_EQ(GetModuleHandleA("OEMEXT.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    EXPECT_EQ(moduleFileName(GetModuleHandleA(nullptr)), programPath());
}

void functionOfTheProgram() {}

TEST_F(Libraries, GetModuleHandleExFindsTheModuleOfAnAddress) {
    HMODULE h = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(h, nullptr);
    FARPROC fn = GetProcAddress(h, "WinplatDoubleAnswer");
    ASSERT_NE(fn, nullptr);

    HMODULE found = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(kMarker));
    ASSERT_EQ(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                     GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCSTR>(fn), &found),
              TRUE);
    EXPECT_EQ(found, h);
    // Counted this time: two frees to unload.
    ASSERT_EQ(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(GetProcAddress(h, "WinplatDoubleData")),
                                 &found),
              TRUE);
    EXPECT_EQ(found, h);
    EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_TRUE(isLoaded(kDouble));
    EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_FALSE(isLoaded(kDouble));

    ASSERT_EQ(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(&EnumDisplayMonitors), &found),
              TRUE);
    EXPECT_EQ(found, LoadLibraryA("user32.dll"));
    ASSERT_EQ(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                 reinterpret_cast<LPCSTR>(&functionOfTheProgram), &found),
              TRUE);
    EXPECT_EQ(found, GetModuleHandleA(nullptr));

    struct Case {
        const char* what;
        DWORD flags;
        LPCSTR name;
        bool output;
        DWORD error;
    } cases[] = {
        {"no module there", GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(16),
         true, ERROR_MOD_NOT_FOUND},
        {"null address", GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, nullptr, true,
         ERROR_MOD_NOT_FOUND},
        {"pin and unchanged", GET_MODULE_HANDLE_EX_FLAG_PIN |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
         "user32.dll", true, ERROR_INVALID_PARAMETER},
        {"unknown flag", 0x100, "user32.dll", true, ERROR_INVALID_PARAMETER},
        {"no output", 0, "user32.dll", false, ERROR_INVALID_PARAMETER},
        {"not loaded", 0, "WinplatDouble.dll", true, ERROR_MOD_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        found = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(kMarker));
        SetLastError(kMarker);
        EXPECT_EQ(GetModuleHandleExA(c.flags, c.name, c.output ? &found : nullptr), FALSE);
        EXPECT_EQ(GetLastError(), c.error);
        if (c.output) {
            EXPECT_EQ(found, nullptr);
        }
    }
}

TEST_F(Libraries, APinnedLibraryStays) {
    HMODULE h = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(h, nullptr);
    HMODULE pinned = nullptr;
    ASSERT_EQ(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, kDouble.c_str(), &pinned), TRUE);
    EXPECT_EQ(pinned, h);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(FreeLibrary(h), TRUE);
    EXPECT_TRUE(isLoaded(kDouble));
    expectDoubleAnswers(h, 41);
}

TEST_F(Libraries, ALibraryMayLoadAnotherWhileItIsLoaded) {
    HMODULE loader = LoadLibraryA(kLoader.c_str());
    ASSERT_NE(loader, nullptr) << GetLastError();
    auto* inner = reinterpret_cast<HMODULE*>(GetProcAddress(loader, "WinplatLoaderInner"));
    auto* error = reinterpret_cast<DWORD*>(GetProcAddress(loader, "WinplatLoaderError"));
    ASSERT_NE(inner, nullptr);
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(*error, 0u);
    ASSERT_NE(*inner, nullptr);
    const HMODULE innerHandle = *inner;
    EXPECT_EQ(GetModuleHandleA(kDouble.c_str()), innerHandle);
    expectDoubleAnswers(innerHandle, 41);

    // Its destructor frees what its constructor loaded.
    EXPECT_EQ(FreeLibrary(loader), TRUE);
    EXPECT_FALSE(isLoaded(kLoader));
    EXPECT_FALSE(isLoaded(kDouble));
    SetLastError(kMarker);
    EXPECT_EQ(FreeLibrary(innerHandle), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Libraries, ThreadsLoadingAndFreeingAtOnceKeepTheCountsRight) {
    HMODULE held = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(held, nullptr);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 200; ++i) {
                HMODULE h = LoadLibraryA(t % 2 ? kDouble.c_str() : "WinplatDouble.dll");
                FARPROC fn = h ? GetProcAddress(h, "WinplatDoubleAnswer") : nullptr;
                if (!fn || reinterpret_cast<AnswerFn>(fn)("") != 41) ++failures;
                if (GetModuleHandleA("WINPLATDOUBLE.DLL") != h) ++failures;
                if (!FreeLibrary(h)) ++failures;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    // Every load was matched by a free: the one reference held here is all that is left.
    EXPECT_TRUE(isLoaded(kDouble));
    EXPECT_EQ(FreeLibrary(held), TRUE);
    EXPECT_FALSE(isLoaded(kDouble));
}

TEST_F(Libraries, BadArgumentsAreRefused) {
    struct Case {
        const char* what;
        LPCSTR name;
        HANDLE file;
        DWORD flags;
    } cases[] = {
        {"null name", nullptr, nullptr, 0},
        {"empty name", "", nullptr, 0},
        {"a file handle", kDouble.c_str(), reinterpret_cast<HANDLE>(4), 0},
        {"an unknown flag", kDouble.c_str(), nullptr, 0x80000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(kMarker);
        EXPECT_EQ(LoadLibraryExA(c.name, c.file, c.flags), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
    EXPECT_FALSE(isLoaded(kDouble));
    SetLastError(kMarker);
    EXPECT_EQ(FreeLibrary(nullptr), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Libraries, TheEntryPointHearsOfAttachAndDetach) {
    struct Case {
        const char* name;
        bool refuse;
        std::function<void()> run;
        std::string calls;
    };
    const std::string& path = kAttach;
    const Case cases[] = {
        {"loaded twice, freed twice", false,
         [&] {
             HMODULE h = LoadLibraryA(path.c_str());
             ASSERT_NE(h, nullptr);
             ASSERT_EQ(LoadLibraryA(path.c_str()), h);
             EXPECT_TRUE(FreeLibrary(h));
             EXPECT_TRUE(isLoaded(path));
             EXPECT_TRUE(FreeLibrary(h));
         },
         "attach\ndetach\n"},
        {"loaded without resolving", false,
         [&] {
             HMODULE h = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
             ASSERT_NE(h, nullptr);
             EXPECT_TRUE(FreeLibrary(h));
         },
         ""},
        {"a refused attach", true,
         [&] {
             SetLastError(kMarker);
             EXPECT_EQ(LoadLibraryA(path.c_str()), nullptr);
             EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
             EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
         },
         "attach\ndetach\n"},
        {"a reset of the process state", false,
         [&] {
             ASSERT_NE(LoadLibraryA(path.c_str()), nullptr);
             WinplatResetProcessState();
         },
         "attach\ndetach\n"},
        {"the end of the process", false,
         [&] {
             pid_t child = fork();
             if (child == 0) {
                 if (!LoadLibraryA(path.c_str())) _exit(3);
                 std::exit(0);
             }
             int status = -1;
             waitpid(child, &status, 0);
             EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
         },
         "attach\ndetach at exit\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string log = rootPath("attach.log");
        std::filesystem::remove(log);
        setenv("WINPLAT_ATTACH_LOG", log.c_str(), 1);
        if (c.refuse) setenv("WINPLAT_ATTACH_REFUSE", "1", 1);
        c.run();
        unsetenv("WINPLAT_ATTACH_REFUSE");
        unsetenv("WINPLAT_ATTACH_LOG");
        EXPECT_EQ(readFile("attach.log"), c.calls);
        EXPECT_FALSE(isLoaded(path));
    }
}

TEST_F(Libraries, ResettingTheProcessStateFreesEveryLibrary) {
    HMODULE h = LoadLibraryA(kDouble.c_str());
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(LoadLibraryA(kDouble.c_str()), h);
    HMODULE platform = LoadLibraryA("user32.dll");
    ASSERT_NE(platform, nullptr);

    WinplatResetProcessState();
    EXPECT_FALSE(isLoaded(kDouble));
    SetLastError(kMarker);
    EXPECT_EQ(FreeLibrary(h), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // The platform is still there under a new handle.
    HMODULE again = LoadLibraryA("user32.dll");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, platform);
    EXPECT_EQ(GetProcAddress(again, "EnumDisplayMonitors"),
              reinterpret_cast<FARPROC>(&EnumDisplayMonitors));
}

}  // namespace
