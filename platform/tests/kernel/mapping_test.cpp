// Named shared memory in one process: lifetime, names, views and the calls' failures; the
// session folder it lives in. Two processes: tests/user/session_test.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
namespace fs = std::filesystem;

class MappingTest : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        // A runtime folder of the test's own, so that the session folder can be looked at.
        runtime_ = rootPath("run");
        fs::create_directories(runtime_);
        chmod(runtime_.c_str(), 0700);
        runtimeVariable_.emplace("XDG_RUNTIME_DIR", runtime_);
        WinplatResetProcessState();
    }
    void TearDown() override {
        WinplatResetProcessState();  // leaves the session while its folder is the test's
        runtimeVariable_.reset();
        FreshRootTest::TearDown();
    }
    static HANDLE create(const char* name, DWORD size = 4096, DWORD protect = PAGE_READWRITE) {
        return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, protect, 0, size, name);
    }
    std::string runtime_;

private:
    std::optional<spx::test::ScopedVariable> runtimeVariable_;
};

TEST_F(MappingTest, ANameIsSharedWhileAHandleOrViewHoldsIt) {
    SetLastError(0xdeadbeef);
    HANDLE first = create("SpxShared");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto* a = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(std::string(a, 4), std::string(4, '\0'));
    std::memcpy(a, "one", 4);

    HANDLE second = create("SpxShared", 64);  // an existing name: its memory, its size
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    auto* b = static_cast<char*>(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 4096));
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b, "one");
    HANDLE other = create("spxshared");  // names keep their case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(other);

    EXPECT_TRUE(CloseHandle(first));
    EXPECT_TRUE(CloseHandle(second));
    HANDLE again = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "SpxShared");  // the views hold it
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(CloseHandle(again));
    EXPECT_TRUE(UnmapViewOfFile(a));
    EXPECT_TRUE(UnmapViewOfFile(b));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, "SpxShared"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE fresh = create("SpxShared");  // made again, zero-filled
    auto* c = static_cast<char*>(MapViewOfFile(fresh, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(std::string(c, 4), std::string(4, '\0'));
    UnmapViewOfFile(c);
    CloseHandle(fresh);
}

TEST_F(MappingTest, UnnamedMemoryAndOddNames) {
    HANDLE unnamed = create(nullptr, 100);
    ASSERT_NE(unnamed, nullptr);
    auto* bytes = static_cast<unsigned char*>(MapViewOfFile(unnamed, FILE_MAP_WRITE, 0, 0, 100));
    ASSERT_NE(bytes, nullptr);
    bytes[99] = 1;
    EXPECT_TRUE(UnmapViewOfFile(bytes));
    EXPECT_TRUE(CloseHandle(unnamed));
    for (const char* name : {"Local\\Spx", "a/b:c*d", "\xe9t\xe9"}) {
        SCOPED_TRACE(name);
        HANDLE h = create(name);
        ASSERT_NE(h, nullptr);
        HANDLE same = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
        EXPECT_NE(same, nullptr);
        CloseHandle(same);
        CloseHandle(h);
    }
}

TEST_F(MappingTest, CallsFailWithTheWindowsCodes) {
    HANDLE readOnly = create("SpxReadOnly", 4096, PAGE_READONLY);
    ASSERT_NE(readOnly, nullptr);
    HANDLE h = create("SpxErrors", 4096);
    ASSERT_NE(h, nullptr);
    struct Case {
        const char* name;
        HANDLE handle;
        DWORD access, offset;
        SIZE_T bytes;
        DWORD error;
    };
    const Case views[] = {
        {"an offset off the 64 KiB grid", h, FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
        {"more than the mapping holds", h, FILE_MAP_READ, 0, 4097, ERROR_ACCESS_DENIED},
        {"past its end", h, FILE_MAP_READ, 65536, 0, ERROR_ACCESS_DENIED},
        {"writing to read-only memory", readOnly, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
        {"no mapping", reinterpret_cast<HANDLE>(0x44), FILE_MAP_READ, 0, 0, ERROR_INVALID_HANDLE},
    };
    for (const Case& c : views) {
        SCOPED_TRACE(c.name);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(MapViewOfFile(c.handle, c.access, 0, c.offset, c.bytes), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
    struct Make {
        const char* name;
        HANDLE file;
        DWORD protect, size;
        DWORD error;
    };
    const Make makes[] = {
        {"no size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, ERROR_INVALID_PARAMETER},
        {"executable memory", INVALID_HANDLE_VALUE, 0x40 /*PAGE_EXECUTE_READWRITE*/, 16, ERROR_INVALID_PARAMETER},
        {"a file's contents", reinterpret_cast<HANDLE>(0x100), PAGE_READWRITE, 16, ERROR_NOT_SUPPORTED},
    };
    for (const Make& m : makes) {
        SCOPED_TRACE(m.name);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(CreateFileMappingA(m.file, nullptr, m.protect, 0, m.size, "SpxBad"), nullptr);
        EXPECT_EQ(GetLastError(), m.error);
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(create(std::string(300, 'n').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    char local = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(UnmapViewOfFile(&local));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    CloseHandle(h);
    CloseHandle(readOnly);
}

TEST_F(MappingTest, TheSessionFolderIsPrivateAndGoesWithItsLastMember) {
    HANDLE h = create("SpxFolder");
    ASSERT_NE(h, nullptr);
    const fs::path base = fs::path(runtime_) / "spectrine";
    ASSERT_TRUE(fs::is_directory(base));
    fs::path session;
    for (const auto& e : fs::directory_iterator(base)) session = e.path();
    ASSERT_FALSE(session.empty());
    struct stat st {};
    ASSERT_EQ(stat(session.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    CloseHandle(h);
    WinplatResetProcessState();  // the only member leaves
    EXPECT_FALSE(fs::exists(session));

    // A folder others may write into is never used: named memory fails, unnamed still works.
    chmod(base.c_str(), 0777);
    WinplatResetProcessState();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(create("SpxUnsafe"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    HANDLE unnamed = create(nullptr);
    EXPECT_NE(unnamed, nullptr);
    CloseHandle(unnamed);
}

}  // namespace
