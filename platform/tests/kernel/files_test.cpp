// Files by handle and by name: CreateFileA family, moves, copies, directories, searches,
// temporary names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "winplat.h"
#include "winplat_files.h"

namespace {

using spx::test::FreshRootTest;
namespace fs = std::filesystem;

class FilesTest : public FreshRootTest {
protected:
    // Windows-style path below the root.
    std::string win(const std::string& relative) const {
        std::string p = root() + "\\" + relative;
        for (char& c : p)
            if (c == '/') c = '\\';
        return p;
    }
    bool exists(const std::string& relative) const { return fs::exists(rootPath(relative)); }

    // Shared for reading and writing: these tests open one file with several handles.
    HANDLE open(const std::string& relative, DWORD access, DWORD disposition) {
        return CreateFileA(win(relative).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }
};

TEST_F(FilesTest, CreationDispositions) {
    struct Case {
        const char* name;
        bool existing;
        DWORD disposition;
        bool succeeds;
        DWORD error;
        const char* contentAfter;  // null: file absent
    } cases[] = {
        {"CREATE_NEW on new", false, CREATE_NEW, true, ERROR_SUCCESS, ""},
        {"CREATE_NEW on existing", true, CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
        {"CREATE_ALWAYS on new", false, CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
        {"CREATE_ALWAYS on existing", true, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
        {"OPEN_EXISTING on new", false, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"OPEN_EXISTING on existing", true, OPEN_EXISTING, true, ERROR_SUCCESS, "old"},
        {"OPEN_ALWAYS on new", false, OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
        {"OPEN_ALWAYS on existing", true, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
        {"TRUNCATE_EXISTING on new", false, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"TRUNCATE_EXISTING on existing", true, TRUNCATE_EXISTING, true, ERROR_SUCCESS, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(rootPath("WINDOWS/Disp.txt"), ec);
        if (c.existing) writeFile("WINDOWS/Disp.txt", "old");
        SetLastError(0xdeadbeef);
        HANDLE h = open("windows/DISP.TXT", GENERIC_READ | GENERIC_WRITE, c.disposition);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.succeeds);
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        }
        if (c.contentAfter) {
            // An existing file is found ignoring case; a new one takes the name as given.
            std::string name = c.existing ? "WINDOWS/Disp.txt" : "WINDOWS/DISP.TXT";
            EXPECT_TRUE(exists(name));
            EXPECT_EQ(readFile(name), c.contentAfter);
            fs::remove(rootPath(name), ec);
        } else {
            EXPECT_FALSE(exists("WINDOWS/DISP.TXT"));
        }
    }
}

TEST_F(FilesTest, CreateFileArgumentErrors) {
    struct Case {
        const char* name;
        const char* path;  // relative to the root, or null
        DWORD access;
        DWORD disposition;
        DWORD error;
    } cases[] = {
        {"null name", nullptr, GENERIC_READ, OPEN_EXISTING, ERROR_INVALID_PARAMETER},
        {"bad disposition", "x", GENERIC_READ, 0, ERROR_INVALID_PARAMETER},
        {"bad disposition 6", "x", GENERIC_READ, 6, ERROR_INVALID_PARAMETER},
        {"truncate without write", "x", GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER},
        {"missing directory", "nodir\\x.txt", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {"create in missing directory", "nodir\\x.txt", GENERIC_WRITE, CREATE_ALWAYS,
         ERROR_PATH_NOT_FOUND},
        {"directory as file", "windows", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {"directory for writing", "windows", GENERIC_WRITE, OPEN_EXISTING, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0xdeadbeef);
        std::string path = c.path ? win(c.path) : "";
        HANDLE h = CreateFileA(c.path ? path.c_str() : nullptr, c.access, 0, nullptr,
                               c.disposition, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateFileA("", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesTest, ReadOnlyFilesRefuseWriting) {
    writeFile("ro.txt", "keep");
    ASSERT_EQ(chmod(rootPath("ro.txt").c_str(), 0444), 0);
    for (DWORD disposition : {OPEN_EXISTING, CREATE_ALWAYS, TRUNCATE_EXISTING, OPEN_ALWAYS}) {
        SCOPED_TRACE(disposition);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(open("RO.TXT", GENERIC_WRITE, disposition), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(readFile("ro.txt"), "keep");
    HANDLE h = open("RO.TXT", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(GetFileAttributesA(win("ro.txt").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileA(win("ro.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FilesTest, ReadWriteSeekAndSize) {
    HANDLE h = open("data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD n = 0xdeadbeef;
    ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
    EXPECT_EQ(n, 10u);
    DWORD high = 0xdeadbeef;
    EXPECT_EQ(GetFileSize(h, &high), 10u);
    EXPECT_EQ(high, 0u);

    EXPECT_EQ(SetFilePointer(h, 3, nullptr, FILE_BEGIN), 3u);
    char buffer[16];
    std::memset(buffer, 0xBD, sizeof buffer);
    ASSERT_TRUE(ReadFile(h, buffer, 4, &n, nullptr));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    EXPECT_EQ(static_cast<unsigned char>(buffer[4]), 0xBD);

    EXPECT_EQ(SetFilePointer(h, -2, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_END), 9u);
    // Reading across the end gives what is there; at the end, success with nothing.
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(buffer[0], '9');
    n = 0xdeadbeef;
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(n, 0u);

    // Before the start: refused, position kept.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetFilePointer(h, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 10u);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A 64-bit move: high part in, high part out.
    LONG moveHigh = 1;
    EXPECT_EQ(SetFilePointer(h, 5, &moveHigh, FILE_BEGIN), 5u);
    EXPECT_EQ(moveHigh, 1);
    moveHigh = 0;
    EXPECT_EQ(SetFilePointer(h, 4, &moveHigh, FILE_BEGIN), 4u);
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(GetFileSize(h, nullptr), 4u);
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_EQ(readFile("data.bin"), "0123");
}

TEST_F(FilesTest, AccessModesAreEnforced) {
    writeFile("a.txt", "abc");
    HANDLE reader = open("A.TXT", GENERIC_READ, OPEN_EXISTING);
    HANDLE writer = open("A.TXT", GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    char buffer[4];
    DWORD n = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WriteFile(reader, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(n, 0u);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetEndOfFile(reader));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    n = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(n, 0u);
    CloseHandle(reader);
    CloseHandle(writer);
}

TEST_F(FilesTest, ShareModesFollowTheWindowsConflictTable) {
    writeFile("shared.txt", "abc");
    const std::string path = win("SHARED.TXT");
    constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    struct Case {
        const char* name;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const Case cases[] = {
        {"two readers sharing reading", R, SR, R, SR, true},
        {"a writer where reading alone is shared", R, SR, W, SR | SW, false},
        {"a writer the reader shares writing with", R, SR | SW, W, SR, true},
        {"a reader that does not share the open writer", W, SR | SW, R, SR, false},
        {"a reader where nothing is shared", R, 0, R, SR | SW, false},
        {"a second reader that shares nothing with a reader", R, SR, R, 0, false},
        {"two readers and writers sharing both", R | W, SR | SW, R | W, SR | SW, true},
        {"no access at all takes part in nothing", 0, 0, R | W, 0, true},
        {"and is never refused", R | W, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE first = CreateFileA(path.c_str(), c.firstAccess, c.firstShare, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        SetLastError(0xdeadbeef);
        HANDLE second = CreateFileA(path.c_str(), c.secondAccess, c.secondShare, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.secondOpens);
        if (!c.secondOpens) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
        CloseHandle(first);
        // Once the first handle is gone nothing is refused.
        HANDLE alone = CreateFileA(path.c_str(), R | W, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(alone, INVALID_HANDLE_VALUE);
        CloseHandle(alone);
    }
    // A refused CREATE_ALWAYS leaves the file as it was.
    HANDLE reader = CreateFileA(path.c_str(), R, SR, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CreateFileA(path.c_str(), W, SR, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(readFile("shared.txt"), "abc");
    CloseHandle(reader);
}

TEST_F(FilesTest, StaleAndForeignHandlesFailHarmlessly) {
    HANDLE h = open("x.txt", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(h));
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(win("*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);

    HANDLE bad[] = {h, nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x12345),
                    search /* a search is no file */};
    for (HANDLE b : bad) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(b));
        char buffer[4];
        DWORD n = 0xdeadbeef;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(ReadFile(b, buffer, sizeof buffer, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(n, 0u);
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(WriteFile(b, "x", 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetFileSize(b, nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetFilePointer(b, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        FILETIME ft{0xdeadbeef, 0xdeadbeef};
        EXPECT_FALSE(GetFileTime(b, nullptr, nullptr, &ft));
        EXPECT_EQ(ft.dwLowDateTime, 0xdeadbeefu);
        EXPECT_FALSE(FlushFileBuffers(b));
        EXPECT_FALSE(SetEndOfFile(b));
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(CloseHandle(b));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    // The search survived the CloseHandle attempt and closes the proper way, once.
    EXPECT_TRUE(FindClose(search));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FilesTest, ResetClosesEveryHandle) {
    HANDLE h = open("x.txt", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    WinplatResetProcessState();
    DWORD n = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // A handle opened afterwards never takes the old value.
    HANDLE again = open("x.txt", GENERIC_WRITE, OPEN_EXISTING);
    ASSERT_NE(again, INVALID_HANDLE_VALUE);
    EXPECT_NE(again, h);
    CloseHandle(again);
}

TEST_F(FilesTest, FileTimeIsTheModificationTime) {
    writeFile("t.txt", "x");
    struct timespec times[2] = {{1000000000, 0}, {1262347200, 500000000}};  // 2010-01-01 12:00:00.5
    ASSERT_EQ(utimensat(AT_FDCWD, rootPath("t.txt").c_str(), times, 0), 0);
    HANDLE h = open("T.TXT", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME write{0xdeadbeef, 0xdeadbeef}, access{0xdeadbeef, 0xdeadbeef};
    ASSERT_TRUE(GetFileTime(h, nullptr, &access, &write));
    CloseHandle(h);
    uint64_t ticks = (static_cast<uint64_t>(write.dwHighDateTime) << 32) | write.dwLowDateTime;
    EXPECT_EQ(ticks, (1262347200ull + 11644473600ull) * 10000000ull + 5000000ull);
    uint64_t accessTicks = (static_cast<uint64_t>(access.dwHighDateTime) << 32) | access.dwLowDateTime;
    EXPECT_EQ(accessTicks, (1000000000ull + 11644473600ull) * 10000000ull);
    WORD date = 0, time = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&write, &date, &time));
    EXPECT_EQ(date, (30 << 9) | (1 << 5) | 1);
    EXPECT_EQ(time, 12 << 11);
}

TEST_F(FilesTest, DeleteFile) {
    writeFile("del/File.txt", "x");
    struct Case {
        const char* path;
        BOOL result;
        DWORD error;
    } cases[] = {
        {"DEL\\FILE.TXT", TRUE, 0xdeadbeef},
        {"del\\file.txt", FALSE, ERROR_FILE_NOT_FOUND},
        {"nodir\\file.txt", FALSE, ERROR_PATH_NOT_FOUND},
        {"del", FALSE, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(DeleteFileA(win(c.path).c_str()), c.result);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(exists("del/File.txt"));
    EXPECT_TRUE(exists("del"));
}

TEST_F(FilesTest, MoveFileRefusesAnExistingTarget) {
    writeFile("src.txt", "new");
    writeFile("Dst.txt", "old");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileA(win("src.txt").c_str(), win("DST.TXT").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(readFile("src.txt"), "new");
    EXPECT_EQ(readFile("Dst.txt"), "old");

    EXPECT_TRUE(MoveFileA(win("SRC.TXT").c_str(), win("WINDOWS\\moved.txt").c_str()));
    EXPECT_FALSE(exists("src.txt"));
    EXPECT_EQ(readFile("WINDOWS/moved.txt"), "new");

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileA(win("src.txt").c_str(), win("other.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileA(win("Dst.txt").c_str(), win("nodir\\x.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesTest, MoveFileCanChangeCaseOnly) {
    writeFile("name.txt", "x");
    EXPECT_TRUE(MoveFileA(win("name.txt").c_str(), win("NAME.TXT").c_str()));
    EXPECT_TRUE(exists("NAME.TXT"));
    EXPECT_FALSE(exists("name.txt"));
}

TEST_F(FilesTest, MoveFileExReplacesAtomically) {
    writeFile("WINDOWS/new.tmp", "new contents");
    writeFile("WINDOWS/Target.INI", "old contents");
    EXPECT_TRUE(MoveFileExA(win("windows\\NEW.TMP").c_str(), win("windows\\target.ini").c_str(),
                            MOVEFILE_REPLACE_EXISTING));
    // The existing file was replaced under its own name; no second spelling appeared.
    EXPECT_EQ(readFile("WINDOWS/Target.INI"), "new contents");
    EXPECT_FALSE(exists("WINDOWS/new.tmp"));
    EXPECT_FALSE(exists("WINDOWS/target.ini"));

    // Without the flag the same call fails.
    writeFile("WINDOWS/new.tmp", "newer");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(win("windows\\new.tmp").c_str(), win("windows\\target.ini").c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    // A directory is never replaced.
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA(win("windows\\new.tmp").c_str(), win("windows\\system").c_str(),
                             MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readFile("WINDOWS/new.tmp"), "newer");
}

TEST_F(FilesTest, CopyFile) {
    writeFile("a.txt", "alpha");
    writeFile("B.txt", "beta");
    struct timespec times[2] = {{UTIME_OMIT, 0}, {1262347200, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, rootPath("a.txt").c_str(), times, 0), 0);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CopyFileA(win("A.TXT").c_str(), win("b.txt").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(readFile("B.txt"), "beta");

    EXPECT_TRUE(CopyFileA(win("A.TXT").c_str(), win("b.txt").c_str(), FALSE));
    EXPECT_EQ(readFile("B.txt"), "alpha");
    EXPECT_FALSE(exists("b.txt"));
    EXPECT_EQ(readFile("a.txt"), "alpha");

    EXPECT_TRUE(CopyFileA(win("a.txt").c_str(), win("WINDOWS\\c.txt").c_str(), TRUE));
    EXPECT_EQ(readFile("WINDOWS/c.txt"), "alpha");
    struct stat st {};
    ASSERT_EQ(stat(rootPath("WINDOWS/c.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1262347200);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CopyFileA(win("missing.txt").c_str(), win("d.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CopyFileA(win("a.txt").c_str(), win("nodir\\d.txt").c_str(), FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // No temporary file is left behind by any of this.
    for (const auto& e : fs::directory_iterator(root()))
        EXPECT_NE(e.path().filename().string().rfind(".~", 0), 0u) << e.path();
}

TEST_F(FilesTest, DirectoriesCreateAndRemove) {
    struct Step {
        const char* what;
        BOOL (*call)(LPCSTR);
        const char* path;
        BOOL result;
        DWORD error;
    };
    auto create = [](LPCSTR p) { return CreateDirectoryA(p, nullptr); };
    auto remove = [](LPCSTR p) { return RemoveDirectoryA(p); };
    writeFile("plain.txt", "x");
    Step steps[] = {
        {"create", create, "NewDir", TRUE, 0xdeadbeef},
        {"create again, other case", create, "newdir", FALSE, ERROR_ALREADY_EXISTS},
        {"create over a file", create, "PLAIN.TXT", FALSE, ERROR_ALREADY_EXISTS},
        {"create below missing", create, "nodir\\sub", FALSE, ERROR_PATH_NOT_FOUND},
        {"create child", create, "newdir\\Child", TRUE, 0xdeadbeef},
        {"remove non-empty", remove, "NEWDIR", FALSE, ERROR_DIR_NOT_EMPTY},
        {"remove a file", remove, "plain.txt", FALSE, ERROR_DIRECTORY},
        {"remove child", remove, "NEWDIR\\CHILD", TRUE, 0xdeadbeef},
        {"remove", remove, "NEWDIR", TRUE, 0xdeadbeef},
        {"remove missing", remove, "newdir", FALSE, ERROR_FILE_NOT_FOUND},
        {"remove below missing", remove, "nodir\\sub", FALSE, ERROR_PATH_NOT_FOUND},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(s.call(win(s.path).c_str()), s.result);
        EXPECT_EQ(GetLastError(), s.error);
    }
    EXPECT_FALSE(exists("NewDir"));
}

TEST_F(FilesTest, FileAttributes) {
    writeFile("dir/file.txt", "x");
    writeFile("dir/.hidden", "x");
    struct Case {
        const char* path;
        DWORD attributes;
        DWORD error;
    } cases[] = {
        {"DIR", FILE_ATTRIBUTE_DIRECTORY, 0xdeadbeef},
        {"dir\\", FILE_ATTRIBUTE_DIRECTORY, 0xdeadbeef},
        {"dir\\FILE.TXT", FILE_ATTRIBUTE_ARCHIVE, 0xdeadbeef},
        {"dir\\.HIDDEN", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, 0xdeadbeef},
        {"dir\\missing", INVALID_FILE_ATTRIBUTES, ERROR_FILE_NOT_FOUND},
        {"nodir\\missing", INVALID_FILE_ATTRIBUTES, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetFileAttributesA(win(c.path).c_str()), c.attributes);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

class FindTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        writeFile("find/Alpha.ICM", "12345");
        writeFile("find/beta.icm", "");
        writeFile("find/gamma.txt", "");
        writeFile("find/noext", "");
        fs::create_directories(rootPath("find/Sub"));
    }

    std::vector<std::string> list(const std::string& pattern, DWORD& error) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        SetLastError(0xdeadbeef);
        HANDLE h = FindFirstFileA(win(pattern).c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            return names;
        }
        do names.emplace_back(data.cFileName);
        while (FindNextFileA(h, &data));
        error = GetLastError();
        EXPECT_TRUE(FindClose(h));
        return names;
    }
};

TEST_F(FindTest, Patterns) {
    using V = std::vector<std::string>;
    struct Case {
        const char* pattern;
        V names;
        DWORD error;
    } cases[] = {
        {"find\\*", {".", "..", "Alpha.ICM", "beta.icm", "gamma.txt", "noext", "Sub"}, ERROR_NO_MORE_FILES},
        {"FIND\\*.*", {".", "..", "Alpha.ICM", "beta.icm", "gamma.txt", "noext", "Sub"}, ERROR_NO_MORE_FILES},
        {"find\\*.icm", {"Alpha.ICM", "beta.icm"}, ERROR_NO_MORE_FILES},
        {"find/?ETA.*", {"beta.icm"}, ERROR_NO_MORE_FILES},
        {"find\\noext.*", {"noext"}, ERROR_NO_MORE_FILES},
        {"find\\*.", {".", "..", "noext", "Sub"}, ERROR_NO_MORE_FILES},
        {"find\\GAMMA.TXT", {"gamma.txt"}, ERROR_NO_MORE_FILES},
        {"find\\*a*", {"Alpha.ICM", "beta.icm", "gamma.txt"}, ERROR_NO_MORE_FILES},
        {"find\\missing*", {}, ERROR_FILE_NOT_FOUND},
        {"find\\", {}, ERROR_FILE_NOT_FOUND},
        {"nodir\\*", {}, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        DWORD error = 0;
        EXPECT_EQ(list(c.pattern, error), c.names);
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(FindTest, FindDataDescribesTheEntry) {
    WIN32_FIND_DATAA data;
    std::memset(&data, 0xBD, sizeof data);
    HANDLE h = FindFirstFileA(win("find\\alpha.icm").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "Alpha.ICM");
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_STREQ(data.cAlternateFileName, "");
    struct stat st {};
    ASSERT_EQ(stat(rootPath("find/Alpha.ICM").c_str(), &st), 0);
    uint64_t ticks = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                     data.ftLastWriteTime.dwLowDateTime;
    EXPECT_EQ(ticks, (static_cast<uint64_t>(st.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
                         static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100);
    std::memset(&data, 0xBD, sizeof data);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_EQ(data.dwFileAttributes, 0xBDBDBDBDu);
    EXPECT_TRUE(FindClose(h));

    ASSERT_NE(h = FindFirstFileA(win("find\\sub").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    FindClose(h);
}

TEST_F(FilesTest, TempFileNameWithGivenNumberOnlyFormsTheName) {
    struct Case {
        std::string path;
        const char* prefix;
        UINT unique;
        std::string expected;
    } cases[] = {
        {root() + "/WINDOWS", "spectrine", 0x1234, root() + "/WINDOWS/spe1234.TMP"},
        {root() + "/WINDOWS/", "ab", 0xBEEF, root() + "/WINDOWS/abBEEF.TMP"},
        {"C:\\TEMP", "~x", 0x12345, "C:\\TEMP\\~x2345.TMP"},
        {"C:\\TEMP\\", nullptr, 0xA, "C:\\TEMP\\A.TMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        char name[MAX_PATH + 1];
        std::memset(name, 0xBD, sizeof name);
        EXPECT_EQ(GetTempFileNameA(c.path.c_str(), c.prefix, c.unique, name), c.unique);
        EXPECT_EQ(std::string(name), c.expected);
        EXPECT_FALSE(fs::exists(c.expected));
    }
}

TEST_F(FilesTest, TempFileNameWithZeroCreatesAFreshFile) {
    std::string dir = root() + "\\windows";
    std::set<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        char name[MAX_PATH];
        UINT number = GetTempFileNameA(dir.c_str(), "SPX", 0, name);
        ASSERT_NE(number, 0u);
        std::string s(name);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(s, m, std::regex(".*\\\\SPX([0-9A-F]{1,4})\\.TMP")));
        EXPECT_EQ(std::stoul(m[1].str(), nullptr, 16), number);
        EXPECT_TRUE(fs::exists(rootPath("WINDOWS/SPX" + m[1].str() + ".TMP")));
        EXPECT_EQ(fs::file_size(rootPath("WINDOWS/SPX" + m[1].str() + ".TMP")), 0u);
        EXPECT_TRUE(seen.insert(s).second);
    }
    char name[MAX_PATH];
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetTempFileNameA((root() + "\\nodir").c_str(), "SPX", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::string longPath(MAX_PATH - 10, 'x');
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetTempFileNameA(longPath.c_str(), "SPX", 1, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
}

// The one whole-file reader: its limit, and what it refuses without blocking or reading on.
TEST_F(FilesTest, WholeFilesAreReadUpToTheOneLimit) {
    writeFile("exact.bin", std::string(winplat::kWholeFileLimit, 'e'));
    writeFile("over.bin", "x");
    ASSERT_EQ(truncate(rootPath("over.bin").c_str(), winplat::kWholeFileLimit + 1), 0);
    writeFile("small.ini", "[s]\r\nk=1\r\n");
    fs::create_directories(rootPath("folder"));
    ASSERT_EQ(mkfifo(rootPath("pipe").c_str(), 0600), 0);
    const struct {
        std::string path;
        DWORD result;
        size_t size;
    } cases[] = {
        {win("SMALL.INI"), ERROR_SUCCESS, 10},
        {rootPath("exact.bin"), ERROR_SUCCESS, winplat::kWholeFileLimit},
        {rootPath("over.bin"), ERROR_FILE_TOO_LARGE, 0},
        {rootPath("folder"), ERROR_ACCESS_DENIED, 0},
        {rootPath("pipe"), ERROR_ACCESS_DENIED, 0},
        {"/dev/zero", ERROR_ACCESS_DENIED, 0},
        {rootPath("missing.ini"), ERROR_FILE_NOT_FOUND, 0},
        {rootPath("nodir/x.ini"), ERROR_PATH_NOT_FOUND, 0},
        {"", ERROR_PATH_NOT_FOUND, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string content = "stale";
        EXPECT_EQ(winplat::readWholeFile(c.path.c_str(), content), c.result);
        EXPECT_EQ(content.size(), c.size);
    }
    std::string content = "stale";
    EXPECT_EQ(winplat::readWholeFile(nullptr, content), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(content, "");
}

// A replacement is a new file beside the target until it is committed; one never committed
// leaves nothing behind; a target that cannot be replaced is refused before anything is
// written.
TEST_F(FilesTest, ReplacementsChangeTheFileOnlyWhenCommitted) {
    writeFile("WINDOWS/target.ini", "old");
    {
        winplat::FileReplacement replacement;
        ASSERT_EQ(replacement.prepare(win("windows/TARGET.INI").c_str(), "new"), ERROR_SUCCESS);
        EXPECT_EQ(readFile("WINDOWS/target.ini"), "old");
    }
    EXPECT_EQ(readFile("WINDOWS/target.ini"), "old");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(rootPath("WINDOWS"))) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"SYSTEM", "target.ini"})) << "a temporary file stayed";

    winplat::FileReplacement replacement;
    EXPECT_EQ(replacement.commit(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    ASSERT_EQ(replacement.prepare(win("WINDOWS/target.ini").c_str(), "new"), ERROR_SUCCESS);
    EXPECT_EQ(replacement.commit(), ERROR_SUCCESS);
    EXPECT_EQ(readFile("WINDOWS/target.ini"), "new");
    EXPECT_EQ(replacement.commit(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));

    fs::create_directories(rootPath("WINDOWS/folder.ini"));
    writeFile("WINDOWS/ro.ini", "read-only");
    ASSERT_EQ(chmod(rootPath("WINDOWS/ro.ini").c_str(), 0444), 0);
    for (const char* refused : {"WINDOWS/folder.ini", "WINDOWS/ro.ini"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(winplat::replaceFile(win(refused).c_str(), "new"),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(readFile("WINDOWS/ro.ini"), "read-only");
    EXPECT_EQ(winplat::replaceFile(win("nodir/x.ini").c_str(), "new"),
              static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    left.clear();
    for (const auto& e : fs::directory_iterator(rootPath("WINDOWS"))) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"SYSTEM", "folder.ini", "ro.ini", "target.ini"}));
}

}  // namespace

// Files written first and flushed together change only when each is committed; one never
// flushed cannot be committed; a group dropped part way, after a later file was refused,
// leaves every old file and no temporary file.
TEST_F(FilesTest, ReplacementsFlushedTogetherChangeTheFilesOnlyWhenCommitted) {
    const std::vector<std::string> names = {"one.icm", "two.icm", "three.icc", "four.icc"};
    auto directory = [&] {
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(rootPath("WINDOWS"))) left.push_back(e.path().filename());
        std::sort(left.begin(), left.end());
        return left;
    };
    for (const std::string& name : names) writeFile("WINDOWS/" + name, "old " + name);
    ASSERT_EQ(chmod(rootPath("WINDOWS/two.icm").c_str(), 0640), 0);
    const std::vector<std::string> before = directory();
    {
        std::vector<winplat::FileReplacement> files(names.size());
        for (size_t k = 0; k < names.size(); ++k)
            ASSERT_EQ(files[k].write(win("WINDOWS/" + names[k]).c_str(), "new " + names[k]), ERROR_SUCCESS);
        EXPECT_EQ(files[0].commit(), static_cast<DWORD>(ERROR_INVALID_FUNCTION)) << "not on disk yet";
        EXPECT_EQ(readFile("WINDOWS/one.icm"), "old one.icm");
        ASSERT_EQ(winplat::flushTogether(files), ERROR_SUCCESS);
        EXPECT_EQ(directory().size(), before.size() + names.size()) << "one temporary file each";
        for (size_t k = 0; k < 2; ++k) EXPECT_EQ(files[k].commit(), ERROR_SUCCESS);
        EXPECT_EQ(winplat::flushTogether(files), ERROR_SUCCESS) << "nothing left to flush";
    }
    for (size_t k = 0; k < names.size(); ++k)
        EXPECT_EQ(readFile("WINDOWS/" + names[k]), (k < 2 ? "new " : "old ") + names[k]) << names[k];
    struct stat st {};
    ASSERT_EQ(stat(rootPath("WINDOWS/two.icm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(directory(), before) << "the uncommitted files were removed";

    // A later target that cannot be replaced: the caller drops the group.
    fs::create_directories(rootPath("WINDOWS/folder.icc"));
    const std::vector<std::string> withFolder = directory();
    {
        std::vector<winplat::FileReplacement> files(3);
        ASSERT_EQ(files[0].write(win("WINDOWS/one.icm").c_str(), "newer"), ERROR_SUCCESS);
        ASSERT_EQ(files[1].write(win("WINDOWS/three.icc").c_str(), "newer"), ERROR_SUCCESS);
        EXPECT_EQ(files[2].write(win("WINDOWS/folder.icc").c_str(), "newer"),
                  static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(winplat::flushTogether(files), ERROR_SUCCESS);
        EXPECT_EQ(files[2].commit(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    }
    EXPECT_EQ(readFile("WINDOWS/one.icm"), "new one.icm");
    EXPECT_EQ(readFile("WINDOWS/three.icc"), "old three.icc");
    EXPECT_EQ(directory(), withFolder);
}
