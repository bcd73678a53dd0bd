// INI files: lookups, defaults, lists and their truncation, numbers, writing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
namespace fs = std::filesystem;

// A buffer pre-filled with 0xBD so a test sees every byte written.
struct Marked {
    char bytes[512];
    Marked() { std::memset(bytes, 0xBD, sizeof bytes); }
    std::string upTo(size_t n) const { return std::string(bytes, n); }
    bool untouchedFrom(size_t n) const {
        for (size_t i = n; i < sizeof bytes; ++i)
            if (static_cast<unsigned char>(bytes[i]) != 0xBD) return false;
        return true;
    }
};

class IniTest : public FreshRootTest {
protected:
    std::string ini() const { return rootPath("test.ini"); }

    std::string get(LPCSTR section, LPCSTR key, LPCSTR def, const std::string& file) {
        Marked out;
        DWORD n = GetPrivateProfileStringA(section, key, def, out.bytes, 200, file.c_str());
        EXPECT_EQ(n, std::strlen(out.bytes));
        EXPECT_TRUE(out.untouchedFrom(n + 1));
        return std::string(out.bytes, n);
    }
};

constexpr char kBasic[] =
    "; a comment line\r\n"
    "[Section1]\r\n"
    "name1=val1\r\n"
    "  Name2 =  \"val2\"  \r\n"
    "name3\r\n"
    ";name5=commented\r\n"
    "name4=a\r\n"
    "empty=\r\n"
    "single='x'\r\n"
    "half=\"open\r\n"
    "[ section2 ]\r\n"
    "[section3]\r\n"
    "=val5\r\n"
    "[SECTION1]\r\n"
    "name1=second\r\n";

TEST_F(IniTest, LookupsAndDefaults) {
    writeFile("test.ini", kBasic);
    struct Case {
        const char* name;
        LPCSTR section;
        LPCSTR key;
        LPCSTR def;
        const char* expected;
    } cases[] = {
        {"plain", "Section1", "name1", "default", "val1"},
        {"case ignored", "SECTION1", "NaMe1", "default", "val1"},
        {"blanks and quotes", "section1", "name2", "default", "val2"},
        {"single quotes", "section1", "single", "default", "x"},
        {"unmatched quote kept", "section1", "half", "default", "\"open"},
        {"empty value", "section1", "empty", "default", ""},
        {"section name trimmed", "section2", "x", "dflt", "dflt"},
        {"request trimmed", "  section1 ", " name4 ", "default", "a"},
        {"line without '='", "section1", "name3", "default", "default"},
        {"commented key", "section1", ";name5", "default", "default"},
        {"missing key", "section1", "nokey", "default", "default"},
        {"missing section", "nosection", "name1", "default", "default"},
        {"empty key", "section1", "", "default", "default"},
        {"empty section", "", "name1", "default", "default"},
        {"default blanks trimmed", "section1", "nokey", "one two  ", "one two"},
        {"null default", "section1", "nokey", nullptr, ""},
        {"first of duplicate sections", "section1", "name1", "default", "val1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(get(c.section, c.key, c.def, ini()), c.expected);
    }
}

TEST_F(IniTest, MissingOrUnusableFileGivesTheDefault) {
    fs::create_directories(rootPath("adir.ini"));
    for (std::string file : {rootPath("missing.ini"), rootPath("nodir/x.ini"), rootPath("adir.ini"),
                             std::string()}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(get("s", "k", "fallback ", file), "fallback");
        EXPECT_EQ(get(nullptr, nullptr, "fallback", file), "fallback");
        EXPECT_EQ(get("s", nullptr, "fallback", file), "fallback");
        Marked out;
        EXPECT_EQ(GetPrivateProfileSectionNamesA(out.bytes, 10, file.c_str()), 0u);
        EXPECT_EQ(out.bytes[0], '\0');
        EXPECT_TRUE(out.untouchedFrom(1));
    }
}

TEST_F(IniTest, ValueTruncation) {
    writeFile("test.ini", kBasic);
    struct Case {
        DWORD size;
        DWORD result;
        const char* text;
    } cases[] = {{5, 4, "val1"}, {4, 3, "val"}, {2, 1, "v"}, {1, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Marked out;
        EXPECT_EQ(GetPrivateProfileStringA("section1", "name1", "default", out.bytes, c.size,
                                           ini().c_str()),
                  c.result);
        EXPECT_STREQ(out.bytes, c.text);
        EXPECT_TRUE(out.untouchedFrom(c.size));
    }
    Marked out;
    EXPECT_EQ(GetPrivateProfileStringA("section1", "name1", "default", out.bytes, 0, ini().c_str()), 0u);
    EXPECT_TRUE(out.untouchedFrom(0));
    // A default is cut the same way.
    EXPECT_EQ(GetPrivateProfileStringA("section1", "nokey", "default", out.bytes, 4, ini().c_str()), 3u);
    EXPECT_STREQ(out.bytes, "def");
}

TEST_F(IniTest, SectionNameListAndItsTruncation) {
    writeFile("test.ini", "[ section1 ]\r\n[section2]\r\n[section3]\r\n");
    const std::string all("section1\0section2\0section3\0\0", 28);
    struct Case {
        DWORD size;
        DWORD result;
        std::string bytes;  // written bytes, both terminators included
    } cases[] = {
        {100, 27, all},
        {29, 27, all},
        // Exactly the size of the list: reported as truncated, one byte short of the end.
        {28, 26, all},
        {27, 25, std::string("section1\0section2\0section\0\0", 27)},
        {16, 14, std::string("section1\0secti\0\0", 16)},
        {2, 0, std::string("\0\0", 2)},
        {1, 0, std::string("\0", 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Marked a, b;
        EXPECT_EQ(GetPrivateProfileSectionNamesA(a.bytes, c.size, ini().c_str()), c.result);
        EXPECT_EQ(a.upTo(c.bytes.size()), c.bytes);
        EXPECT_TRUE(a.untouchedFrom(c.bytes.size()));
        EXPECT_EQ(GetPrivateProfileStringA(nullptr, "ignored", "default", b.bytes, c.size,
                                           ini().c_str()),
                  c.result);
        EXPECT_EQ(b.upTo(c.bytes.size()), c.bytes);
    }
}

TEST_F(IniTest, KeyListSkipsLinesWithoutEqualsAndComments) {
    writeFile("test.ini", kBasic);
    Marked out;
    const std::string keys("name1\0Name2\0name4\0empty\0single\0half\0\0", 37);
    EXPECT_EQ(GetPrivateProfileStringA("SECTION1", nullptr, "default", out.bytes, 100, ini().c_str()), 36u);
    EXPECT_EQ(out.upTo(keys.size()), keys);

    Marked small;
    EXPECT_EQ(GetPrivateProfileStringA("section1", nullptr, "default", small.bytes, 16, ini().c_str()), 14u);
    EXPECT_EQ(small.upTo(16), std::string("name1\0Name2\0na\0\0", 16));
    EXPECT_TRUE(small.untouchedFrom(16));

    // A section without keys, or none at all: the default.
    EXPECT_EQ(get("section2", nullptr, "none", ini()), "none");
    EXPECT_EQ(get("nosection", nullptr, "none", ini()), "none");
}

TEST_F(IniTest, SectionContents) {
    writeFile("test.ini",
              "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\n;note\r\nname4 = \"val4\"\r\n"
              "[section2]\r\n[section3]\r\n=val5\r\n");
    Marked out;
    SetLastError(0xdeadbeef);
    const std::string lines("name1=val1\0name2=\0name3\0name4=\"val4\"\0\0", 38);
    EXPECT_EQ(GetPrivateProfileSectionA("Section1", out.bytes, 100, ini().c_str()), 37u);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(out.upTo(lines.size()), lines);

    Marked cut;
    EXPECT_EQ(GetPrivateProfileSectionA("section1", cut.bytes, 24, ini().c_str()), 22u);
    EXPECT_EQ(cut.upTo(24), std::string("name1=val1\0name2=\0name\0\0", 24));
    EXPECT_TRUE(cut.untouchedFrom(24));

    Marked third;
    EXPECT_EQ(GetPrivateProfileSectionA("section3", third.bytes, 100, ini().c_str()), 6u);
    EXPECT_EQ(third.upTo(7), std::string("=val5\0\0", 7));

    Marked empty;
    EXPECT_EQ(GetPrivateProfileSectionA("section2", empty.bytes, 100, ini().c_str()), 0u);
    EXPECT_EQ(empty.upTo(2), std::string("\0\0", 2));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSectionA(nullptr, out.bytes, 100, ini().c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetPrivateProfileSectionA("section1", nullptr, 0, ini().c_str()), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(IniTest, Numbers) {
    struct Case {
        const char* value;  // null: key absent
        INT def;
        UINT expected;
    } cases[] = {
        {nullptr, 70, 70},
        {nullptr, -1, 4294967295u},
        {"", 5, 5},
        {"-1", 1, 4294967295u},
        {"1", -1, 1},
        {"+1", -1, 1},
        {"  17  ", 0, 17},
        {"\"12\"", 0, 12},
        {"4294967296", 1, 0},
        {"4294967297", -1, 1},
        {"-4294967297", 1, 4294967295u},
        {"42A94967297", -1, 42},
        {"B4294967297", -1, 0},
        {"0x10", -1, 0},
        {"3.75", 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(absent)");
        writeFile("test.ini", c.value ? std::string("[Test]\nProfileInt=") + c.value + "\n" : "[Test]\n");
        EXPECT_EQ(GetPrivateProfileIntA("test", "profileint", c.def, ini().c_str()), c.expected);
    }
    writeFile("test.ini", "[Test]\nProfileInt=9\n");
    EXPECT_EQ(GetPrivateProfileIntA(nullptr, "ProfileInt", 3, ini().c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileIntA("Test", nullptr, 3, ini().c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileIntA("Test", "ProfileInt", 3, rootPath("missing.ini").c_str()), 3u);
}

TEST_F(IniTest, BareNamesLiveInTheWindowsDirectoryAndWinIniInTheRoot) {
    writeFile("WINDOWS/huevista.ini", "[Options]\nLevel=4\n");
    writeFile("huevista.ini", "[Options]\nLevel=9\n");
    EXPECT_EQ(GetPrivateProfileIntA("Options", "Level", 0, "HUEVISTA.INI"), 4u);
    EXPECT_EQ(get("Options", "Level", "", "huevista.ini"), "4");

    writeFile("win.ini", "[Windows]\nDevice=Spectrine\n[Colors]\nDepth=24\n");
    char buffer[64];
    EXPECT_EQ(GetProfileStringA("windows", "device", "", buffer, sizeof buffer), 9u);
    EXPECT_STREQ(buffer, "Spectrine");
    EXPECT_EQ(GetProfileIntA("colors", "depth", 0), 24u);
    EXPECT_EQ(GetProfileIntA("colors", "missing", -2), static_cast<UINT>(-2));
    EXPECT_EQ(get("Colors", "Depth", "", std::string()), "");  // "" is a name, not WIN.INI
    Marked out;
    EXPECT_EQ(GetPrivateProfileStringA("colors", "depth", "", out.bytes, 64, nullptr), 2u);
    EXPECT_STREQ(out.bytes, "24");
}

TEST_F(IniTest, AnyBytesAreReadSafely) {
    std::string longValue(100000, 'v');
    struct Case {
        const char* name;
        std::string content;
        const char* key;
        std::string expected;
    } cases[] = {
        {"no final line break", "[s]\r\nk=last", "k", "last"},
        {"LF only", "[s]\nk=lf\n", "k", "lf"},
        {"CR only", "[s]\rk=cr\rj=2", "k", "cr"},
        {"byte order mark", "\xEF\xBB\xBF[s]\nk=bom\n", "k", "bom"},
        {"NUL ends the line", std::string("[s]\nk=ab\0cd\nj=2\n", 16), "k", "ab"},
        {"NUL in a header", std::string("[s\0x]\n[s]\nk=1\n", 14), "k", "1"},
        {"long line", "[s]\nk=" + longValue + "\n", "k", longValue.substr(0, 199)},
        {"long key line", "[s]\n" + std::string(70000, 'k') + "\nk=after\n", "k", "after"},
        {"header without bracket", "[s\nk=1\n[s]\nk=2\n", "k", "2"},
        {"bracket inside", "[a]b]\nk=in\n", "k", "in"},
        {"tabs trimmed", "[s]\n\tk\t=\tt \t\n", "k", "t"},
        {"only the first section of a name is searched", "[s]\na=1\n[t]\nk=t\n[S]\nk=2\n", "k", "default"},
        {"the first entry of a key", "[s]\nk\nk=1\nk=2\n", "k", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("test.ini", c.content);
        Marked out;
        DWORD n = GetPrivateProfileStringA(c.name == std::string("bracket inside") ? "a]b" : "s",
                                           c.key, "default", out.bytes, 200, ini().c_str());
        EXPECT_EQ(std::string(out.bytes, n), c.expected);
        EXPECT_TRUE(out.untouchedFrom(200));
        Marked names;
        GetPrivateProfileSectionNamesA(names.bytes, 300, ini().c_str());
        EXPECT_TRUE(names.untouchedFrom(300));
    }
}

TEST_F(IniTest, RandomBytesNeverOverrunBuffers) {
    // Files made of INI punctuation and noise, read with every buffer size from 0 to 40.
    std::mt19937 random(20240229);
    const std::string alphabet = std::string("[]=;\"' \t\r\nabAB", 15) + std::string(1, '\0') + "\xEF\xBB\xBF";
    for (int round = 0; round < 80; ++round) {
        std::string content;
        size_t length = random() % 200;
        for (size_t i = 0; i < length; ++i) content += alphabet[random() % alphabet.size()];
        writeFile("test.ini", content);
        for (DWORD size = 0; size <= 40; ++size) {
            SCOPED_TRACE(testing::Message() << "round " << round << " size " << size);
            Marked a, b, c, d, e;
            DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "dflt", a.bytes, size, ini().c_str());
            EXPECT_TRUE(a.untouchedFrom(size));
            EXPECT_LE(n, size);
            GetPrivateProfileStringA("a", nullptr, "dflt", b.bytes, size, ini().c_str());
            EXPECT_TRUE(b.untouchedFrom(size));
            n = GetPrivateProfileStringA("a", "b", "dflt", c.bytes, size, ini().c_str());
            EXPECT_TRUE(c.untouchedFrom(size));
            if (size > 0) {
                EXPECT_EQ(n, std::strlen(c.bytes));
            }
            GetPrivateProfileSectionA("A", d.bytes, size, ini().c_str());
            EXPECT_TRUE(d.untouchedFrom(size));
            GetPrivateProfileSectionNamesA(e.bytes, size, ini().c_str());
            EXPECT_TRUE(e.untouchedFrom(size));
        }
        // Whatever the file holds, a written key reads back.
        EXPECT_TRUE(WritePrivateProfileStringA("a", "zz", "1", ini().c_str()));
        EXPECT_EQ(GetPrivateProfileIntA("A", "ZZ", 0, ini().c_str()), 1u);
    }
}

TEST_F(IniTest, WritingBuildsWindowsLayout) {
    const std::string file = rootPath("w.ini");
    auto write = [&](LPCSTR s, LPCSTR k, LPCSTR v) {
        return WritePrivateProfileStringA(s, k, v, file.c_str());
    };
    EXPECT_TRUE(write("App1", "key1", "string1"));
    EXPECT_TRUE(write("App1", "key2", "string2"));
    EXPECT_TRUE(write("App1", "key3", "string3"));
    EXPECT_TRUE(write("App2", "key4", "string4"));
    EXPECT_TRUE(write("App3", "key5", "string5"));
    EXPECT_EQ(readFile("w.ini"),
              "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n"
              "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");

    struct Step {
        const char* name;
        LPCSTR section;
        LPCSTR key;
        LPCSTR value;
        const char* after;
    } steps[] = {
        {"replace, case ignored", "APP1", "KEY2", "changed",
         "[App1]\r\nkey1=string1\r\nkey2=changed\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
         "[App3]\r\nkey5=string5\r\n"},
        {"delete key", "App1", "key2", nullptr,
         "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"delete missing key", "App1", "key2", nullptr,
         "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"delete section", "App1", nullptr, "ignored",
         "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {"delete section without value", "app2", nullptr, nullptr, "[App3]\r\nkey5=string5\r\n"},
        {"delete last key", "App3", "key5", nullptr, "[App3]\r\n"},
        {"add to empty section", "App3", "k", "", "[App3]\r\nk=\r\n"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        EXPECT_TRUE(write(s.section, s.key, s.value));
        EXPECT_EQ(readFile("w.ini"), s.after);
    }
    for (const auto& e : fs::directory_iterator(root()))
        EXPECT_NE(e.path().filename().string().rfind(".~", 0), 0u) << e.path();
}

TEST_F(IniTest, WritingKeepsEverythingElse) {
    writeFile("WINDOWS/keep.ini",
              "; header comment\n[Main]\nA = 1 ; not a comment\n\n; inner comment\nB=2\n\n[Other]\nC=3");
    EXPECT_TRUE(WritePrivateProfileStringA("main", "b", "20", "keep.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("main", "New", "x y", "keep.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("other", "D", "4", "keep.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("Third", "E", "5", "KEEP.INI"));
    EXPECT_EQ(readFile("WINDOWS/keep.ini"),
              "; header comment\n[Main]\nA = 1 ; not a comment\n\n; inner comment\nB=20\nNew=x y\n\n"
              "[Other]\nC=3\nD=4\n[Third]\nE=5\n");
    EXPECT_EQ(get("main", "a", "", rootPath("WINDOWS/keep.ini")), "1 ; not a comment");
}

TEST_F(IniTest, WriteFailures) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", rootPath("x.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(rootPath("x.ini")));

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", ""));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", rootPath("nodir/x.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    writeFile("ro.ini", "[s]\nk=old\n");
    ASSERT_EQ(chmod(rootPath("ro.ini").c_str(), 0444), 0);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "new", rootPath("ro.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(readFile("ro.ini"), "[s]\nk=old\n");

    // Deleting from a file that does not exist succeeds without creating it.
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, rootPath("none.ini").c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("s", nullptr, nullptr, rootPath("none.ini").c_str()));
    EXPECT_FALSE(fs::exists(rootPath("none.ini")));
}

TEST_F(IniTest, WrittenFileKeepsItsPermissionsAndLinks) {
    writeFile("real.ini", "[s]\nk=1\n");
    ASSERT_EQ(chmod(rootPath("real.ini").c_str(), 0640), 0);
    fs::create_symlink(rootPath("real.ini"), rootPath("link.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", rootPath("link.ini").c_str()));
    EXPECT_TRUE(fs::is_symlink(rootPath("link.ini")));
    EXPECT_EQ(readFile("real.ini"), "[s]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(stat(rootPath("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A file larger than the 16 MiB the suite reads whole is never rewritten from the part that
// was read: the write is refused with ERROR_FILE_TOO_LARGE and the file keeps every byte (its
// last section too); readers see no file and answer with their defaults.
TEST_F(IniTest, AFileTooLargeToReadWholeIsRefusedAndKept) {
    std::string content = "[first]\nk=old\n";
    const std::string filler = "; " + std::string(76, 'x') + "\n";
    while (content.size() < 20u * 1000 * 1000) content += filler;
    content += "[last]\nk=kept\n";
    writeFile("big.ini", content);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WritePrivateProfileStringA("first", "k", "new", rootPath("big.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    EXPECT_TRUE(readFile("big.ini") == content) << "the file changed";
    EXPECT_EQ(get("first", "k", "default", rootPath("big.ini")), "default");
    EXPECT_EQ(get("last", "k", "default", rootPath("big.ini")), "default");
    for (const auto& e : fs::directory_iterator(root()))
        EXPECT_NE(e.path().filename().string().rfind(".~", 0), 0u) << e.path();
}

}  // namespace
