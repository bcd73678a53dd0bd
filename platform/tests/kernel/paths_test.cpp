// Windows-style paths: case-insensitive resolution, full path names, system directories.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fresh_root.h"
#include "winplat.h"

// The extension helper is internal to the library (hidden symbols), so its source is compiled
// into this test.
#include "path_names.cpp"

namespace {

using spx::test::FreshRootTest;

class PathsTest : public FreshRootTest {
protected:
    std::string native(const std::string& path) {
        char buffer[1024];
        std::memset(buffer, 0xBD, sizeof buffer);
        DWORD n = WinplatNativePath(path.c_str(), buffer, sizeof buffer);
        EXPECT_EQ(n, std::strlen(buffer));
        return std::string(buffer, n);
    }
};

TEST_F(PathsTest, ComponentsResolveIgnoringCase) {
    writeFile("WINDOWS/SYSTEM/COLOR/Test.ICM", "x");
    writeFile("WINDOWS/Mixed Case/File.Ini", "x");
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"/WINDOWS/SYSTEM/COLOR/Test.ICM", "/WINDOWS/SYSTEM/COLOR/Test.ICM"},
        {"\\windows\\system\\color\\test.icm", "/WINDOWS/SYSTEM/COLOR/Test.ICM"},
        {"/Windows\\System/COLOR\\TEST.icm", "/WINDOWS/SYSTEM/COLOR/Test.ICM"},
        {"\\WINDOWS\\mixed case\\FILE.INI", "/WINDOWS/Mixed Case/File.Ini"},
        // A missing leaf keeps its spelling, so new files get the name the caller chose.
        {"\\windows\\New.ini", "/WINDOWS/New.ini"},
        // Nothing below a missing directory is looked up.
        {"\\windows\\NoDir\\Sub\\x.txt", "/WINDOWS/NoDir/Sub/x.txt"},
        {"\\windows\\system\\", "/WINDOWS/SYSTEM/"},
        {"\\\\windows\\\\\\system", "/WINDOWS/SYSTEM"},
        {"\\windows\\.\\system\\..\\SYSTEM\\color", "/WINDOWS/./SYSTEM/../SYSTEM/COLOR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(native(root() + c.in), root() + c.out);
    }
}

TEST_F(PathsTest, ExactNameWinsAndTiesAreStable) {
    writeFile("dup/a.txt", "lower");
    writeFile("dup/A.TXT", "upper");
    EXPECT_EQ(native(root() + "\\dup\\a.txt"), root() + "/dup/a.txt");
    EXPECT_EQ(native(root() + "\\dup\\A.TXT"), root() + "/dup/A.TXT");
    // Neither spelling matches exactly: the first in byte order, whatever the directory order.
    EXPECT_EQ(native(root() + "\\dup\\A.txt"), root() + "/dup/A.TXT");
}

TEST_F(PathsTest, RelativePathsStayRelative) {
    writeFile("WINDOWS/SYSTEM/COLOR/rel.icm", "x");
    char* saved = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(root().c_str()), 0);
    EXPECT_EQ(native("windows\\system\\color\\REL.ICM"), "WINDOWS/SYSTEM/COLOR/rel.icm");
    EXPECT_EQ(native(".\\windows"), "./WINDOWS");
    ASSERT_EQ(chdir(saved), 0);
    std::free(saved);
}

TEST_F(PathsTest, NativePathBufferRules) {
    std::string expected = root() + "/WINDOWS";
    std::string in = root() + "\\windows";
    char buffer[512];

    std::memset(buffer, 0xBD, sizeof buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WinplatNativePath(in.c_str(), buffer, static_cast<DWORD>(expected.size())), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), 0xBD);

    std::memset(buffer, 0xBD, sizeof buffer);
    EXPECT_EQ(WinplatNativePath(in.c_str(), buffer, static_cast<DWORD>(expected.size() + 1)),
              expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(static_cast<unsigned char>(buffer[expected.size() + 1]), 0xBD);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(WinplatNativePath(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(WinplatNativePath("", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(PathNames, ReplaceExtensionLooksOnlyAtTheLastComponent) {
    using winplat::detail::replaceExtension;
    struct Case {
        const char* path;
        const char* extension;
        const char* expected;
    } cases[] = {
        {"C:\\dir\\file.txt", ".icm", "C:\\dir\\file.icm"},
        {"C:\\dir.d\\file", ".icm", "C:\\dir.d\\file.icm"},
        {"/x.y/z.tar.gz", ".bak", "/x.y/z.tar.bak"},
        {"dir.d/", ".icm", "dir.d/.icm"},
        {"file.txt", "", "file"},
        {"file", "", "file"},
        {"a.b\\c", ".d", "a.b\\c.d"},
        {"", ".ini", ".ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(replaceExtension(c.path, c.extension), c.expected);
    }
}

TEST(PathNames, PathRenameExtensionRenamesTheLastComponentWithinMaxPath) {
    struct Case {
        const char* path;
        const char* extension;
        BOOL result;
        const char* expected;
    } cases[] = {
        {"/suite.d/huevista", ".ini", TRUE, "/suite.d/huevista.ini"},
        {"C:\\Suite\\huevista.exe", ".ini", TRUE, "C:\\Suite\\huevista.ini"},
        {"/home/u/.local/lib/huevista", ".ini", TRUE, "/home/u/.local/lib/huevista.ini"},
        {"", ".ini", TRUE, ".ini"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char buffer[MAX_PATH + 1];
        std::memset(buffer, 0xBD, sizeof buffer);
        std::strcpy(buffer, c.path);
        EXPECT_EQ(PathRenameExtensionA(buffer, c.extension), c.result);
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(static_cast<unsigned char>(buffer[MAX_PATH]), 0xBD);
    }
    // 255 characters and ".ini" make 259: the last that fits; one more does not, and the path
    // stays as it was.
    std::string longest = "/" + std::string(254, 'a');
    char buffer[MAX_PATH + 1];
    std::strcpy(buffer, longest.c_str());
    EXPECT_EQ(PathRenameExtensionA(buffer, ".ini"), TRUE);
    EXPECT_EQ(std::string(buffer), longest + ".ini");
    std::string tooLong = longest + "a";
    std::strcpy(buffer, tooLong.c_str());
    EXPECT_EQ(PathRenameExtensionA(buffer, ".ini"), FALSE);
    EXPECT_EQ(std::string(buffer), tooLong);
    EXPECT_EQ(PathRenameExtensionA(nullptr, ".ini"), FALSE);
    EXPECT_EQ(PathRenameExtensionA(buffer, nullptr), FALSE);
}

TEST_F(PathsTest, FullPathNameIsLexical) {
    struct Case {
        const char* in;
        const char* out;
        int filePart;  // offset of the file part, -1 for none
    } cases[] = {
        {"/a/b/../c/./d", "/a/c/d", 5},
        {"\\a\\b\\", "/a/b/", -1},
        {"/..", "/", -1},
        {"/a//b", "/a/b", 3},
        {"/a/b/..", "/a", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        char buffer[64];
        std::memset(buffer, 0xBD, sizeof buffer);
        LPSTR part = reinterpret_cast<LPSTR>(0xdeadbeef);
        DWORD n = GetFullPathNameA(c.in, sizeof buffer, buffer, &part);
        EXPECT_EQ(n, std::strlen(c.out));
        EXPECT_STREQ(buffer, c.out);
        if (c.filePart < 0)
            EXPECT_EQ(part, nullptr);
        else
            EXPECT_EQ(part, buffer + c.filePart);
    }
}

TEST_F(PathsTest, FullPathNameOfRelativeNameUsesTheWorkingDirectory) {
    char* cwd = getcwd(nullptr, 0);
    std::string expected = std::string(cwd) + "/sub/x.txt";
    std::free(cwd);
    char buffer[1024];
    LPSTR part = nullptr;
    EXPECT_EQ(GetFullPathNameA("sub\\.\\x.txt", sizeof buffer, buffer, &part), expected.size());
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_STREQ(part, "x.txt");

    // Too small: the size needed, terminator included, and nothing written.
    std::memset(buffer, 0xBD, sizeof buffer);
    EXPECT_EQ(GetFullPathNameA("sub\\x.txt", 4, buffer, &part), expected.size() + 1);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetFullPathNameA("", sizeof buffer, buffer, &part), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(PathsTest, WindowsAndSystemDirectoriesAreUnderTheRoot) {
    struct Case {
        UINT (*get)(LPSTR, UINT);
        std::string expected;
    } cases[] = {
        {GetWindowsDirectoryA, root() + "/WINDOWS"},
        {GetSystemDirectoryA, root() + "/WINDOWS/SYSTEM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        char buffer[512];
        std::memset(buffer, 0xBD, sizeof buffer);
        UINT len = static_cast<UINT>(c.expected.size());
        EXPECT_EQ(c.get(buffer, len), len + 1);  // one short: size needed
        EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);
        EXPECT_EQ(c.get(nullptr, 0), len + 1);
        EXPECT_EQ(c.get(buffer, len + 1), len);
        EXPECT_EQ(std::string(buffer), c.expected);
        EXPECT_EQ(static_cast<unsigned char>(buffer[len + 1]), 0xBD);
    }
}

TEST_F(PathsTest, TempPathEndsWithSeparator) {
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    struct Case {
        const char* tmpdir;  // null: unset
        const char* expected;
    } cases[] = {{"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {nullptr, "/tmp/"}, {"", "/tmp/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tmpdir ? c.tmpdir : "(unset)");
        if (c.tmpdir)
            setenv("TMPDIR", c.tmpdir, 1);
        else
            unsetenv("TMPDIR");
        char buffer[64];
        std::memset(buffer, 0xBD, sizeof buffer);
        DWORD len = static_cast<DWORD>(std::strlen(c.expected));
        EXPECT_EQ(GetTempPathA(len, buffer), len + 1);
        EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);
        EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), len);
        EXPECT_STREQ(buffer, c.expected);
    }
    if (old)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
}

}  // namespace
