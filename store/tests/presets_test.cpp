// Presets and preset groups: the stored form, reading back, enumeration, groups and the
// deletion of the standard family.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "fresh_root.h"
#include "preset_test_support.h"
#include "registry_faults.h"
#include "registry_snapshot.h"
#include "vltutil.h"
#include "win32_holders.h"

namespace {

using Presets = spx::test::FreshRootTest;

// The bytes of a literal, its NULs included (the literal's own terminator left out).
template <size_t N>
std::string lit(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// The value's type and bytes, or "<absent>".
std::string raw(const char* subkey, const char* name, DWORD* type = nullptr) {
    std::vector<char> buffer(4096);
    DWORD t = 0, size = static_cast<DWORD>(buffer.size());
    if (GetSpectrineRegValue(subkey, name, &t, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
        return "<absent>";
    if (type) *type = t;
    return std::string(buffer.data(), size);
}

void setRaw(const char* subkey, const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(WriteSpectrineRegValue(subkey, name, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

using vlt::test::markedPresetRecord;
using vlt::test::presetRecord;

TEST_F(Presets, StoredAsSixElementsAndReadBack) {
    const std::string longText(300, 'd');
    struct Case {
        const char* what;
        PresetRecord record;
        std::string stored;             // the value's bytes
        std::string description;        // as read back
        double gammas[3];               // as read back
    } cases[] = {
        {"the standard example", presetRecord(2.2, 2.2, 1.8, 6500, PRESET_STANDARD, "A"),
         lit("A\0002.20\0002.20\0001.80\0006500\00032768\000\000"), "A", {2.2, 2.2, 1.8}},
        {"rounded to two decimals, commas in the description",
         presetRecord(2.456, 0.5, 10.004, 9300, PRESET_UNADJUSTED | PRESET_STANDARD, "Web, bluish"),
         lit("Web, bluish\0002.46\0000.50\00010.00\0009300\00032769\000\000"), "Web, bluish",
         {2.46, 0.5, 10.0}},
        {"negative numbers read back", presetRecord(2.2, 2.2, 2.2, -1, static_cast<LONG>(0x80008000u), ""),
         lit("\0002.20\0002.20\0002.20\000-1\000-2147450880\000\000"), "", {2.2, 2.2, 2.2}},
        {"a description of 300 characters is cut to 255", presetRecord(1.8, 1.8, 1.8, 5000, 0, longText),
         std::string(255, 'd') + lit("\0001.80\0001.80\0001.80\0005000\0000\000\000"),
         std::string(255, 'd'), {1.8, 1.8, 1.8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(WriteSpectrinePreset("P", &c.record), 1);
        DWORD type = 0;
        EXPECT_EQ(raw("Preset", "P", &type), c.stored);
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        PresetRecord back = markedPresetRecord();
        ASSERT_EQ(ReadSpectrinePreset("P", &back), 1);
        EXPECT_EQ(back.size, 0xdeadbeefu) << "the size field is the caller's";
        EXPECT_EQ(std::string(back.description), c.description);
        EXPECT_DOUBLE_EQ(back.gammaRed, c.gammas[0]);
        EXPECT_DOUBLE_EQ(back.gammaGreen, c.gammas[1]);
        EXPECT_DOUBLE_EQ(back.gammaBlue, c.gammas[2]);
        EXPECT_EQ(back.temperature, c.record.temperature);
        EXPECT_EQ(back.flags, c.record.flags);
        // The same record in a group reads back the same.
        ASSERT_EQ(WriteSpectrinePreset0("Group...", "P", &c.record), 1);
        EXPECT_EQ(raw("Preset\\Group...", "P"), c.stored);
        PresetRecord member = markedPresetRecord();
        ASSERT_EQ(ReadSpectrinePreset0("Group...", "P", &member), 1);
        EXPECT_EQ(std::memcmp(&member.gammaRed, &back.gammaRed, sizeof back - 8), 0);
    }
}

TEST_F(Presets, WritesThatCouldNotReadBackAreRefused) {
    const PresetRecord good = presetRecord(2.2, 2.2, 2.2, 6500, 0, "kept");
    ASSERT_EQ(WriteSpectrinePreset("P", &good), 1);
    const std::string before = raw("Preset", "P");
    struct Case {
        const char* what;
        const char* name;
        PresetRecord record;
    } cases[] = {
        {"a gamma that is not a number", "P", presetRecord(2.2, std::nan(""), 2.2, 6500, 0, "x")},
        {"an infinite gamma", "P", presetRecord(INFINITY, 2.2, 2.2, 6500, 0, "x")},
        // 255 + 1 + three numbers of 101 characters: more than the 512 bytes read back.
        {"numbers too long for the value", "P", presetRecord(1e100, 1e100, 1e100, 6500, 0, std::string(255, 'x'))},
        {"an empty name", "", presetRecord(2.2, 2.2, 2.2, 6500, 0, "x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WriteSpectrinePreset(c.name, &c.record), 0);
        EXPECT_EQ(raw("Preset", "P"), before);
        EXPECT_EQ(raw("Preset", ""), "<absent>");
    }
    EXPECT_EQ(WriteSpectrinePreset(nullptr, &good), 0);
    EXPECT_EQ(WriteSpectrinePreset("Q", nullptr), 0);
    EXPECT_EQ(WriteSpectrinePreset0(nullptr, "Q", &good), 0);
    EXPECT_EQ(raw("Preset", "Q"), "<absent>");
}

TEST_F(Presets, ReadingRefusesWhatIsNoPreset) {
    struct Case {
        const char* what;
        DWORD type;
        std::string bytes;
        int result;
        double red;      // when read
        LONG flags;
    } cases[] = {
        {"absent", REG_NONE, "", 0, 0, 0},
        {"a REG_SZ", REG_SZ, lit("x\0"), 0, 0, 0},
        {"longer than 512 bytes", REG_MULTI_SZ, std::string(513, 'a'), 0, 0, 0},
        {"exactly 512 bytes", REG_MULTI_SZ, std::string(500, 'a') + lit("\0002.2\0001\0001\0001\000\000"), 1, 2.2, 0},
        {"the description alone", REG_MULTI_SZ, lit("only\0\0"), 1, 0, 0},
        {"fields separated by commas", REG_MULTI_SZ, lit("d\0002.4,2.2,1.8,6500,1\0\0"), 1, 2.4, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteSpectrineRegValue("Preset", "P", REG_NONE, nullptr, 0);
        if (c.type != REG_NONE) setRaw("Preset", "P", c.type, c.bytes);
        PresetRecord r = markedPresetRecord();
        const PresetRecord untouched = r;
        EXPECT_EQ(ReadSpectrinePreset("P", &r), c.result);
        if (c.result == 0) {
            EXPECT_EQ(std::memcmp(&r, &untouched, sizeof r), 0) << "a failed read writes nothing";
        } else {
            EXPECT_DOUBLE_EQ(r.gammaRed, c.red);
            EXPECT_EQ(r.flags, c.flags);
        }
    }
    EXPECT_EQ(ReadSpectrinePreset("P", nullptr), 0);
    EXPECT_EQ(ReadSpectrinePreset(nullptr, nullptr), 0);
}

TEST_F(Presets, EnumerationInOrderWithAndWithoutRecord) {
    const PresetRecord a = presetRecord(2.2, 2.2, 2.2, 6500, PRESET_STANDARD, "first");
    const PresetRecord c = presetRecord(1.8, 1.8, 1.8, 5000, 0, "third");
    ASSERT_EQ(WriteSpectrinePreset("Alpha", &a), 1);
    setRaw("Preset", "Text", REG_SZ, lit("no preset"));
    ASSERT_EQ(WriteSpectrinePreset("Charlie", &c), 1);
    struct Case {
        DWORD index;
        int result;
        const char* name;
        const char* description;
    } cases[] = {{0, 1, "Alpha", "first"}, {1, 0, "Text", nullptr}, {2, 1, "Charlie", "third"}, {3, 0, nullptr, nullptr}};
    for (bool withRecord : {true, false}) {
        for (const Case& e : cases) {
            SCOPED_TRACE(::testing::Message() << "index " << e.index << (withRecord ? " with" : " without") << " a record");
            char name[64];
            std::memset(name, 0xbd, sizeof name);
            DWORD size = sizeof name;
            PresetRecord r = markedPresetRecord();
            EXPECT_EQ(EnumSpectrinePreset(e.index, name, &size, withRecord ? &r : nullptr), e.result);
            if (e.result) {
                EXPECT_EQ(std::string(name), e.name);
                EXPECT_EQ(size, std::strlen(e.name));
                if (withRecord) {
                    EXPECT_EQ(std::string(r.description), e.description);
                }
            }
        }
    }
    // A name buffer too small for the name is no answer.
    char small[4];
    DWORD size = sizeof small;
    EXPECT_EQ(EnumSpectrinePreset(0, small, &size, nullptr), 0);
}

TEST_F(Presets, GroupsAndTheirMembers) {
    // No "Preset" key at all: no presets, no groups.
    char name[64];
    DWORD size = sizeof name;
    EXPECT_EQ(EnumSpectrinePreset(0, name, &size, nullptr), 0);
    size = sizeof name;
    EXPECT_EQ(EnumSpectrinePresetGroup(0, name, &size), 0);

    const PresetRecord member = presetRecord(2.4, 2.4, 2.4, 5000, PRESET_STANDARD, "laser");
    ASSERT_EQ(WriteSpectrinePreset0("Match screen To Printer...", "Generic Laser", &member), 1);
    ASSERT_EQ(WriteSpectrineRegValue("Preset\\Empty...", "x", REG_SZ, reinterpret_cast<const BYTE*>("y"), 2),
              ERROR_SUCCESS);
    ASSERT_EQ(WriteSpectrineRegValue("Preset\\Empty...", "x", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    const PresetRecord top = presetRecord(2.2, 2.2, 2.2, 6500, 0, "top");
    ASSERT_EQ(WriteSpectrinePreset0("", "Top", &top), 1) << "an empty group is the top level";

    const char* groups[] = {"Match screen To Printer...", "Empty..."};
    for (DWORD i = 0; i < 2; ++i) {
        SCOPED_TRACE(groups[i]);
        std::memset(name, 0xbd, sizeof name);
        size = sizeof name;
        ASSERT_EQ(EnumSpectrinePresetGroup(i, name, &size), 1);
        EXPECT_EQ(std::string(name), groups[i]);
        EXPECT_EQ(size, std::strlen(groups[i]));
    }
    size = sizeof name;
    EXPECT_EQ(EnumSpectrinePresetGroup(2, name, &size), 0);
    size = 5;
    EXPECT_EQ(EnumSpectrinePresetGroup(0, name, &size), 0) << "a name that does not fit";

    PresetRecord r = markedPresetRecord();
    size = sizeof name;
    ASSERT_EQ(EnumSpectrinePreset0("Match screen To Printer...", 0, name, &size, &r), 1);
    EXPECT_EQ(std::string(name), "Generic Laser");
    EXPECT_DOUBLE_EQ(r.gammaGreen, 2.4);
    size = sizeof name;
    EXPECT_EQ(EnumSpectrinePreset0("Empty...", 0, name, &size, nullptr), 0) << "a group with an empty list";
    size = sizeof name;
    ASSERT_EQ(EnumSpectrinePreset0("", 0, name, &size, nullptr), 1);
    EXPECT_EQ(std::string(name), "Top");
    size = sizeof name;
    EXPECT_EQ(EnumSpectrinePreset0(nullptr, 0, name, &size, nullptr), 0);
    EXPECT_EQ(ReadSpectrinePreset0(nullptr, "Top", &r), 0);
    EXPECT_EQ(ReadSpectrinePreset("Generic Laser", &r), 0) << "members are not top-level presets";
}

TEST_F(Presets, DeleteOnePreset) {
    const PresetRecord r = presetRecord(2.2, 2.2, 2.2, 6500, 0, "x");
    ASSERT_EQ(WriteSpectrinePreset("Mine", &r), 1);
    EXPECT_EQ(DeleteSpectrinePreset("Mine"), 1);
    EXPECT_EQ(raw("Preset", "Mine"), "<absent>");
    EXPECT_EQ(DeleteSpectrinePreset("Mine"), 0);
    EXPECT_EQ(DeleteSpectrinePreset(nullptr), 0);
}

TEST_F(Presets, DeleteAllKeepsTheNamedPresetTheUsersAndWhatIsNoPreset) {
    struct Stored {
        const char* name;
        LONG flags;  // -1: a REG_SZ value, no preset
    };
    struct Case {
        const char* what;
        const char* keep;
        std::vector<Stored> stored;
        std::vector<std::string> left;  // in enumeration order
    } cases[] = {
        {"a standard Current is kept", "Current",
         {{"sRGB", PRESET_STANDARD}, {"Current", PRESET_STANDARD}, {"Video", PRESET_STANDARD | 1}},
         {"Current"}},
        {"the user's presets stay", "Current",
         {{"Mine", 0}, {"sRGB", PRESET_STANDARD}, {"Current", 0}, {"Also mine", PRESET_UNADJUSTED}},
         {"Mine", "Current", "Also mine"}},
        {"a value of the wrong type is skipped, the rest still goes", "Current",
         {{"A", PRESET_STANDARD}, {"Odd", -1}, {"B", PRESET_STANDARD}}, {"Odd"}},
        {"the kept name ignores case", "current", {{"CURRENT", PRESET_STANDARD}}, {"CURRENT"}},
        {"nothing kept", nullptr, {{"Current", PRESET_STANDARD}, {"Mine", 0}}, {"Mine"}},
        {"no presets at all", "Current", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {  // a clean "Preset" for each case (the 98 family deletes a key with its subtree)
            winplat::RegKey suite(HKEY_LOCAL_MACHINE, SPECTRINE_SUITE_KEY, KEY_ALL_ACCESS);
            RegDeleteKeyA(suite.get(), "Preset");
        }
        for (const Stored& s : c.stored) {
            if (s.flags < 0) {
                setRaw("Preset", s.name, REG_SZ, lit("text"));
            } else {
                const PresetRecord r = presetRecord(2.2, 2.2, 2.2, 6500, s.flags, s.name);
                ASSERT_EQ(WriteSpectrinePreset(s.name, &r), 1);
            }
        }
        std::vector<std::string> keptBytes;
        for (const std::string& name : c.left) keptBytes.push_back(raw("Preset", name.c_str()));
        const PresetRecord member = presetRecord(2.2, 2.2, 2.2, 6500, PRESET_STANDARD, "member");
        ASSERT_EQ(WriteSpectrinePreset0("Group...", "Member", &member), 1);

        EXPECT_EQ(DeleteAllSpectrinePreset(c.keep), 1);
        std::vector<std::string> left;
        for (DWORD i = 0;; ++i) {
            char name[64];
            DWORD type = 0, nameSize = sizeof name;
            if (EnumSpectrineRegValue("Preset", i, name, &nameSize, &type, nullptr, nullptr) != ERROR_SUCCESS) break;
            left.emplace_back(name);
        }
        EXPECT_EQ(left, c.left);
        for (size_t i = 0; i < c.left.size(); ++i)
            EXPECT_EQ(raw("Preset", c.left[i].c_str()), keptBytes[i]) << c.left[i] << " is unchanged";
        EXPECT_NE(raw("Preset\\Group...", "Member"), "<absent>") << "groups are not touched";
    }
}

TEST_F(Presets, DeleteAllThatFailsChangesNothing) {
    for (const char* name : {"A", "B", "C"}) {
        const PresetRecord r = presetRecord(2.2, 2.2, 2.2, 6500, PRESET_STANDARD, name);
        ASSERT_EQ(WriteSpectrinePreset(name, &r), 1);
    }
    const spx::test::RegistrySnapshot before = spx::test::registrySnapshot();
    spx::test::failValueWrites(root(), "DELETE", "C");
    EXPECT_EQ(DeleteAllSpectrinePreset("Current"), 0);
    EXPECT_TRUE(spx::test::registrySnapshot() == before) << "A and B came back";
}

}  // namespace
