// The command language: parsing, resolving keys and values, every result code and message.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "regcmd_support.h"
#include "regkit.h"

namespace {

using namespace regkit::test;
using RegCommands = spx::test::FreshRootTest;

TEST_F(RegCommands, QueryOfAKeyListsSubkeysThenValues) {
    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\test\\Sub1");
    HKEY k = nullptr;
    char cls[] = "Cls";
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\test\\Sub2", 0, cls, 0, KEY_ALL_ACCESS, nullptr, &k,
                              nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "Name", "Value text");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "", "unnamed");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    DWORD n = 4096;
    RegSetValueExA(k, "Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4);
    const BYTE bin[] = {0x01, 0xab, 0x00};
    RegSetValueExA(k, "Bin", 0, REG_BINARY, bin, 3);
    RegSetValueExA(k, "Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%ROOT%\\x"), 9);
    RegCloseKey(k);

    const char* expected =
        "*Sub1*\n*Sub2*Cls\nName=Value text\nDefault=unnamed\nCount=4096\nBin=01 ab 00\nPath=%ROOT%\\x\n";
    for (const char* command : {"?SOFTWARE\\test", "SOFTWARE\\test", "HKEY_LOCAL_MACHINE\\SOFTWARE\\test",
                                "  ?software\\\\TEST\\"}) {
        SCOPED_TRACE(command);
        Outcome o = run(command);
        EXPECT_EQ(o.result, 0);
        EXPECT_EQ(o.out, expected);
        EXPECT_EQ(o.err, "");
    }
}

TEST_F(RegCommands, QueryOfAValue) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", "test1", "hello");
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\test", 0, KEY_ALL_ACCESS, &k);
    DWORD d = 1;
    RegSetValueExA(k, "dword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&d), 4);
    RegCloseKey(k);

    Outcome o = run("SOFTWARE\\test\\test1");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.out, "hello\n");
    o = run("SOFTWARE\\test\\dword");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.out, "Can't handle data return type yet.\n");
    o = run("SOFTWARE\\test\\missing");
    EXPECT_EQ(o.result, 5);
    EXPECT_EQ(o.err, "The system cannot find the file specified.\n");
}

TEST_F(RegCommands, MissingMiddleKey) {
    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\test");
    Outcome o = run("SOFTWARE\\nothere\\deeper\\x");
    EXPECT_EQ(o.result, 3);
    EXPECT_EQ(o.err, "No such key 'nothere'\n");
    EXPECT_EQ(o.out, "");
}

TEST_F(RegCommands, RootNames) {
    makeKey(HKEY_CURRENT_USER, "Software\\x");
    makeKey(HKEY_CLASSES_ROOT, "CLSID\\y");
    makeKey(HKEY_USERS, ".DEFAULT\\z");
    struct Case {
        const char* command;
        int result;
        const char* out;
    } cases[] = {
        {"HKEY_CURRENT_USER\\Software", 0, "*x*\n"},
        {"HKEY_CURRENT_CONFIG\\Software", 0, "*x*\n"},  // its seventh character is 'U'
        {"HKEY_CLASSES_ROOT\\CLSID", 0, "*y*\n"},
        {"HKEY_USERS\\.DEFAULT", 0, "*z*\n"},
        {"HKEY_DYN_DATA\\Config Manager", -1, ""},
        {"HKEY", -1, ""},  // too short to have a seventh character
        {"HKE", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Outcome o = run(c.command);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.out, c.out);
        if (c.result == -1) {
            EXPECT_EQ(o.err, "Can't understand the root key.\n");
        }
    }
}

TEST_F(RegCommands, DeleteValueOrKeyUnderEachRoot) {
    setString(HKEY_CURRENT_USER, "Software", "x", "value");
    makeKey(HKEY_CURRENT_USER, "Software\\y");
    Outcome o = run("-HKEY_CURRENT_USER\\Software\\x");
    EXPECT_EQ(o.result, 0);
    EXPECT_FALSE(valueExists(HKEY_CURRENT_USER, "Software", "x"));
    o = run("-HKEY_CURRENT_USER\\Software\\y");
    EXPECT_EQ(o.result, 0);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, "Software\\y"));
    o = run("-HKEY_CURRENT_USER\\Software\\y");
    EXPECT_EQ(o.result, 7) << "nothing left to delete";
    EXPECT_EQ(o.err, "The system cannot find the file specified.\n");
}

TEST_F(RegCommands, LastOperationCharacterWins) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE", "x", "v");
    Outcome o = run("+-SOFTWARE\\x");
    EXPECT_EQ(o.result, 0);
    EXPECT_FALSE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE", "x"));
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE", "x", "v");
    o = run("-?SOFTWARE\\x");
    EXPECT_EQ(o.out, "v\n") << "query decided last";
    EXPECT_TRUE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE", "x"));
}

TEST_F(RegCommands, AddIsNotAvailable) {
    Outcome o = run("+SOFTWARE\\new=value");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.out, "Can't add yet.\n");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\new"));
}

TEST_F(RegCommands, RecursiveDeleteRemovesNestedTree) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Spectrine\\95.4\\Settings", "AppFile", "a");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Spectrine\\95.4\\Preset\\G", "P", "b");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Spectrine", "top", "c");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Other", "keep", "d");
    Outcome o = run("!SOFTWARE\\Kalvenmor\\Spectrine");
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Spectrine"));
    EXPECT_TRUE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kalvenmor\\Other", "keep"));
}

TEST_F(RegCommands, RecursiveDeleteWorksOnTheNtFamilyToo) {
    useFamily("NT4");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\T\\A\\B\\C", "v", "1");
    Outcome plain = run("-SOFTWARE\\T");
    EXPECT_EQ(plain.result, 7) << "the NT family refuses a key with subkeys";
    EXPECT_EQ(plain.err, "Access is denied.\n");
    Outcome o = run("!SOFTWARE\\T");
    EXPECT_EQ(o.result, 0);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\T"));
}

TEST_F(RegCommands, DeletesNeverNameARoot) {
    makeKey(HKEY_CURRENT_USER, "Software\\precious");
    for (const char* command : {"!", "-", "!HKEY_CURRENT_USER", "-HKEY_CURRENT_USER\\", "!\\\\", ". !"}) {
        SCOPED_TRACE(command);
        Outcome o = run(command);
        EXPECT_EQ(o.result, 6);
        EXPECT_EQ(o.err, "Can't handle the operation I was given.\n");
    }
    EXPECT_TRUE(keyExists(HKEY_CURRENT_USER, "Software\\precious"));
}

TEST_F(RegCommands, OverLongCommandIsRefusedNotCut) {
    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\parent");
    // Cut at 2048 characters this would name SOFTWARE\parent.
    std::string command = "!SOFTWARE\\parent\\" + std::string(2048 - 16, 'x');
    ASSERT_GT(command.size(), 2048u);
    Outcome o = run(command);
    EXPECT_EQ(o.result, 6);
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\parent"));
    std::string exact = "SOFTWARE\\" + std::string(2048 - 9, 'y');
    EXPECT_EQ(run(exact).result, 5) << "2048 characters are still accepted (a missing value)";
}

TEST_F(RegCommands, RecursiveDeleteStopsAtDeepNesting) {
    std::string path = "SOFTWARE\\Deep";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    for (int i = 0; i < 520; ++i) {
        HKEY next = nullptr;
        ASSERT_EQ(RegCreateKeyExA(k, "n", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr), ERROR_SUCCESS);
        RegCloseKey(k);
        k = next;
    }
    RegCloseKey(k);
    Outcome o = run("!SOFTWARE\\Deep");
    EXPECT_EQ(o.result, 9);
    EXPECT_EQ(o.err, "Error happened during recursive delete.\n");
    EXPECT_TRUE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Deep\\n\\n")) << "nothing removed";

    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Shallow\\a\\b\\c");
    EXPECT_EQ(run("!SOFTWARE\\Shallow").result, 0);
}

TEST_F(RegCommands, PathLongerThanTheKeyStackIsAmbiguous) {
    std::string command = "SOFTWARE";
    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE");
    HKEY k = nullptr;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS, &k);
    for (int i = 0; i < 515; ++i) {
        HKEY next = nullptr;
        RegCreateKeyExA(k, "n", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &next, nullptr);
        RegCloseKey(k);
        k = next;
        command += "\\n";
    }
    RegCloseKey(k);
    Outcome o = run(command);
    EXPECT_EQ(o.result, 2);
    EXPECT_EQ(o.out, "I can't figure out if this is a key or a string.\n");
}

TEST_F(RegCommands, DotsWaitTwoSecondsEach) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE", "x", "v");
    auto start = std::chrono::steady_clock::now();
    Outcome o = run("..-SOFTWARE\\x");
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(o.result, 0);
    EXPECT_FALSE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE", "x"));
    EXPECT_GE(waited, std::chrono::milliseconds(4000));
}

TEST_F(RegCommands, UnnamedValueSurvivesRecursiveDelete) {
    // Emptying a key leaves its unnamed value; the key itself then goes with it.
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\U\\inner", "", "default");
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\U\\inner", "named", "x");
    EXPECT_EQ(run("!SOFTWARE\\U").result, 0);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\U"));
}

TEST_F(RegCommands, InstallerEntryJoinsArguments) {
    setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\With Blank", "v", "1");
    char a0[] = "regkit", a1[] = "-SOFTWARE\\With", a2[] = "Blank\\v";
    char* argv[] = {a0, a1, a2};
    EXPECT_EQ(Main(3, argv), 0);
    EXPECT_FALSE(valueExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\With Blank", "v"));
    EXPECT_EQ(MainIS("-SOFTWARE\\With Blank"), 0);
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\With Blank"));
}

// Class names longer than 255 characters: the recursive delete sizes its buffers from the key
// and removes the whole tree, never stopping after some siblings are gone.
TEST_F(RegCommands, RecursiveDeleteTakesAnyClassName) {
    const std::string longClass(300, 'c');
    for (const char* child : {"SOFTWARE\\Classy\\a", "SOFTWARE\\Classy\\b\\deep", "SOFTWARE\\Classy\\c"}) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, child, 0, const_cast<LPSTR>(longClass.c_str()),
                                  0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(k);
    }
    Outcome o = run("!SOFTWARE\\Classy");
    EXPECT_EQ(o.result, 0) << o.out << o.err;
    EXPECT_EQ(o.out, "");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classy"));
}

// Only a key that does not exist is "no such key" (3), which a remover takes for "gone"; a
// registry that cannot be read says why, with the result of the operation it stopped.
TEST_F(RegCommands, AnOpenFailureIsNotAMissingKey) {
    makeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kept");
    WinplatResetProcessState();
    writeFile("registry.db", std::string(8192, 'x'));  // damaged
    const struct {
        const char* command;
        int result;
    } cases[] = {{"SOFTWARE\\Kept", 5}, {"-SOFTWARE\\Kept", 7}, {"!SOFTWARE\\Kept", 7},
                 {"?SOFTWARE\\Kept\\value", 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Outcome o = run(c.command);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.err, "The configuration registry database is corrupt.\n");
        EXPECT_EQ(o.out, "");
    }
}

}  // namespace
