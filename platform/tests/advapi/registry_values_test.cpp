// Registry values: types, sizes, buffers too small, names compared case-insensitively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fresh_root.h"
#include "win32.h"

namespace {

using spx::test::FreshRootTest;

class RegistryValues : public FreshRootTest {
protected:
    void SetUp() override {
        FreshRootTest::SetUp();
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Test\\Values", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (key) RegCloseKey(key);
        FreshRootTest::TearDown();
    }
    LONG setString(const char* name, const char* text) {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              static_cast<DWORD>(std::strlen(text) + 1));
    }
    HKEY key = nullptr;
};

TEST_F(RegistryValues, StringRoundTripWithExactSizeAndType) {
    ASSERT_EQ(setString("Name", "hello"), ERROR_SUCCESS);
    char buf[16];
    std::memset(buf, 0xbd, sizeof buf);
    DWORD type = 0xdeadbeef, size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(key, "name", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(buf, "hello");
    EXPECT_EQ(static_cast<unsigned char>(buf[6]), 0xbd) << "wrote past the stored size";
}

TEST_F(RegistryValues, ShortBufferGivesMoreDataAndNeededSizeWithoutWriting) {
    ASSERT_EQ(setString("Long", "0123456789"), ERROR_SUCCESS);
    char buf[8];
    std::memset(buf, 0xbd, sizeof buf);
    DWORD type = 0xdeadbeef, size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "Long", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    for (unsigned char c : buf) EXPECT_EQ(c, 0xbd);
}

TEST_F(RegistryValues, SizeQueryWithoutBuffer) {
    DWORD v = 7;
    ASSERT_EQ(RegSetValueExA(key, "Dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
    DWORD type = 0, size = 0xdeadbeef;
    EXPECT_EQ(RegQueryValueExA(key, "Dword", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    // A buffer without a size is refused.
    BYTE b[4];
    EXPECT_EQ(RegQueryValueExA(key, "Dword", nullptr, &type, b, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValues, MissingValueLeavesOutputsAlone) {
    DWORD type = 0xdeadbeef, size = 0xdeadbeef;
    BYTE b[4] = {0xbd, 0xbd, 0xbd, 0xbd};
    size = sizeof b;
    EXPECT_EQ(RegQueryValueExA(key, "Nothing", nullptr, &type, b, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, 0xdeadbeefu);
    EXPECT_EQ(size, 4u);
}

TEST_F(RegistryValues, OverwriteKeepsEnumerationPlaceAndChangesType) {
    ASSERT_EQ(setString("A", "1"), ERROR_SUCCESS);
    ASSERT_EQ(setString("B", "2"), ERROR_SUCCESS);
    ASSERT_EQ(setString("C", "3"), ERROR_SUCCESS);
    DWORD v = 9;
    ASSERT_EQ(RegSetValueExA(key, "a", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_SUCCESS);
    const char* expected[] = {"A", "B", "C"};
    for (DWORD i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        char name[8];
        DWORD nameSize = sizeof name, type = 0;
        ASSERT_EQ(RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_STREQ(name, expected[i]) << "the first spelling of a name is kept";
        EXPECT_EQ(nameSize, 1u);
        EXPECT_EQ(type, i == 0 ? static_cast<DWORD>(REG_DWORD) : static_cast<DWORD>(REG_SZ));
    }
    char name[8];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 3, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryValues, EnumValueShortBuffers) {
    ASSERT_EQ(setString("LongerName", "data data"), ERROR_SUCCESS);
    char name[4];
    DWORD nameSize = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

    char name2[32];
    BYTE data[4];
    DWORD nameSize2 = sizeof name2, dataSize = sizeof data, type = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, name2, &nameSize2, nullptr, &type, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_EQ(dataSize, 10u);
}

TEST_F(RegistryValues, DefaultValueAndEmptyData) {
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("d"), 2), ERROR_SUCCESS);
    char buf[4];
    DWORD size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buf, "d");

    ASSERT_EQ(RegSetValueExA(key, "Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    size = sizeof buf;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Empty", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(RegSetValueExA(key, "Bad", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
}

TEST_F(RegistryValues, MultiStringKeepsEmbeddedTerminators) {
    const char data[] = "1.00000\0" "2.20000\0";  // two elements and the list terminator
    ASSERT_EQ(RegSetValueExA(key, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data), sizeof data),
              ERROR_SUCCESS);
    char buf[64];
    DWORD size = sizeof buf, type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "List", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, sizeof data);
    EXPECT_EQ(std::memcmp(buf, data, sizeof data), 0);
}

TEST_F(RegistryValues, DeleteValue) {
    ASSERT_EQ(setString("Gone", "x"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "GONE"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Gone"), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Gone", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValues, BinaryValueOfEveryByte) {
    BYTE data[256];
    for (int i = 0; i < 256; ++i) data[i] = static_cast<BYTE>(i);
    ASSERT_EQ(RegSetValueExA(key, "Bytes", 0, REG_BINARY, data, sizeof data), ERROR_SUCCESS);
    BYTE back[300];
    DWORD size = sizeof back;
    ASSERT_EQ(RegQueryValueExA(key, "Bytes", nullptr, nullptr, back, &size), ERROR_SUCCESS);
    ASSERT_EQ(size, 256u);
    EXPECT_EQ(std::memcmp(back, data, 256), 0);
}

// Sizes of 2 GiB and more are refused before the data is read (the buffer here holds 16 bytes)
// and nothing is stored.
TEST_F(RegistryValues, SizesOfTwoGibibytesOrMoreAreRefused) {
    const BYTE small[16] = {};
    for (DWORD size : {0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(RegSetValueExA(key, "huge", 0, REG_BINARY, small, size), ERROR_INVALID_PARAMETER);
        DWORD stored = 0xdeadbeef;
        EXPECT_EQ(RegQueryValueExA(key, "huge", nullptr, nullptr, nullptr, &stored), ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(stored, 0xdeadbeefu);
    }
}

}  // namespace
