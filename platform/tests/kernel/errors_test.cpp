// The last error and the system's message texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "fresh_root.h"
#include "win32.h"

namespace {

using spx::test::FreshRootTest;

using ErrorsTest = FreshRootTest;

constexpr DWORD kSystem = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

std::string message(DWORD code, DWORD flags = kSystem) {
    char buffer[512];
    std::memset(buffer, 0xBD, sizeof buffer);
    DWORD n = FormatMessageA(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer,
                             sizeof buffer, nullptr);
    if (n == 0) return "<none>";
    EXPECT_EQ(n, std::strlen(buffer));
    return std::string(buffer, n);
}

TEST_F(ErrorsTest, LastErrorIsPerThread) {
    SetLastError(1234);
    DWORD seenByOther = 0xdeadbeef;
    std::thread other([&] {
        seenByOther = GetLastError();
        SetLastError(99);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(ErrorsTest, SystemMessageTexts) {
    struct Case {
        DWORD code;
        const char* text;
    } cases[] = {
        {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
        {ERROR_INVALID_FUNCTION, "Incorrect function.\r\n"},
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
        {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file.\r\n"},
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
        {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command.\r\n"},
        {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
        {ERROR_OUTOFMEMORY, "Not enough storage is available to complete this operation.\r\n"},
        {ERROR_NO_MORE_FILES, "There are no more files.\r\n"},
        {ERROR_SHARING_VIOLATION,
         "The process cannot access the file because it is being used by another process.\r\n"},
        {ERROR_HANDLE_EOF, "Reached the end of the file.\r\n"},
        {ERROR_FILE_EXISTS, "The file exists.\r\n"},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
        {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
        {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
        {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
        {ERROR_DIR_NOT_EMPTY, "The directory is not empty.\r\n"},
        {ERROR_BAD_PATHNAME, "The specified path is invalid.\r\n"},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
        {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long.\r\n"},
        {ERROR_MORE_DATA, "More data is available.\r\n"},
        {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
        {ERROR_NOACCESS, "Invalid access to memory location.\r\n"},
        {ERROR_BADDB, "The configuration registry database is corrupt.\r\n"},
        {ERROR_BADKEY, "The configuration registry key is invalid.\r\n"},
        {ERROR_CANTOPEN, "The configuration registry key could not be opened.\r\n"},
        {ERROR_CANTREAD, "The configuration registry key could not be read.\r\n"},
        {ERROR_CANTWRITE, "The configuration registry key could not be written.\r\n"},
        {ERROR_KEY_DELETED,
         "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
        {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle.\r\n"},
        {ERROR_CLASS_ALREADY_EXISTS, "Class already exists.\r\n"},
        {ERROR_CLASS_DOES_NOT_EXIST, "Class does not exist.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(message(c.code), c.text);
        EXPECT_EQ(GetLastError(), 0xdeadbeefu);  // success leaves the last error alone
    }
    // The long registry texts are single lines too.
    for (DWORD code : {ERROR_REGISTRY_CORRUPT, ERROR_REGISTRY_IO_FAILED}) {
        std::string text = message(code);
        EXPECT_EQ(text.find("\r\n"), text.size() - 2) << code;
        EXPECT_EQ(text.rfind("The registry is corrupted.", 0) == 0 ||
                      text.rfind("An I/O operation initiated by the registry", 0) == 0,
                  true)
            << text;
    }
}

TEST_F(ErrorsTest, UnknownCodeHasNoText) {
    char buffer[64];
    std::memset(buffer, 0xBD, sizeof buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(FormatMessageA(kSystem, nullptr, 0x12345678, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);
}

TEST_F(ErrorsTest, BufferMustHoldTextAndTerminator) {
    const std::string text = "Access is denied.\r\n";
    char buffer[64];
    std::memset(buffer, 0xBD, sizeof buffer);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(FormatMessageA(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                             static_cast<DWORD>(text.size()), nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);

    EXPECT_EQ(FormatMessageA(kSystem, nullptr, ERROR_ACCESS_DENIED, 0, buffer,
                             static_cast<DWORD>(text.size() + 1), nullptr),
              text.size());
    EXPECT_EQ(std::string(buffer), text);
    EXPECT_EQ(static_cast<unsigned char>(buffer[text.size() + 1]), 0xBD);
}

TEST_F(ErrorsTest, UnsupportedRequestsAreRefused) {
    char buffer[64];
    struct Case {
        const char* name;
        DWORD flags;
        char* out;
    } cases[] = {
        {"allocate buffer", kSystem | FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer},
        {"from string", FORMAT_MESSAGE_FROM_STRING, buffer},
        {"from module", FORMAT_MESSAGE_FROM_HMODULE, buffer},
        {"no source", FORMAT_MESSAGE_IGNORE_INSERTS, buffer},
        {"no buffer", kSystem, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(buffer, 0xBD, sizeof buffer);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(FormatMessageA(c.flags, nullptr, ERROR_ACCESS_DENIED, 0, c.out, sizeof buffer,
                                 nullptr),
                  0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xBD);
    }
}

TEST_F(ErrorsTest, LineWidthFlags) {
    // The maximum-width mask turns the line break into a space.
    EXPECT_EQ(message(ERROR_ACCESS_DENIED, kSystem | FORMAT_MESSAGE_MAX_WIDTH_MASK),
              "Access is denied. ");
    // A width wraps between words.
    EXPECT_EQ(message(ERROR_FILE_NOT_FOUND, kSystem | 20),
              "The system cannot\r\nfind the file\r\nspecified.\r\n");
}

}  // namespace
