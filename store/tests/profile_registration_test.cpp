// Registering profiles: the monitor's list (stock codes, order, the long-name rule, make-default
// 0), the single name of Windows 95, the registration record, the system's default profile,
// unregistering, the recorded names, and copying the list to several monitors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registration_test_support.h"

namespace {

using spx::test::monitorsSideBySide;
using vlt::test::nameList;

class ProfileRegistration : public vlt::test::RegistrationTest {
protected:
    // One monitor (or `count`) with known descriptions, on the family asked for.
    void machine(const char* family, int count = 1) {
        auto monitors = monitorsSideBySide(count);
        for (int i = 0; i < count; ++i) monitors[i].description = "Spectra " + std::to_string(17 + i);
        writeDisplayIni(monitors, "Virtual Display Adapter");
        useFamily(family);
    }
    void setList(int monitor, const std::vector<BYTE>& value, DWORD type = REG_BINARY) {
        setKeyValue(classKey(monitor), "ICMProfile", type, value);
    }
};

TEST_F(ProfileRegistration, StockCodeThirteenIsTheTrinitronProfile) {
    machine("98");
    struct Case {
        BYTE code;
        std::vector<std::string> expected;
    } cases[] = {
        {13, {"Trinitron Compatible 9300K G2.2.icm", "New.icm", ""}},
        {1, {"mnb22g15.icm", "New.icm", ""}},
        {10, {"Diamond Compatible 9300K G2.2.icm", "New.icm", ""}},
        {0, {"New.icm", ""}},
        {14, {"New.icm", ""}},
        {255, {"New.icm", ""}},
    };
    std::string path = colourFile("New.icm");
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        setList(0, {c.code});
        EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
        EXPECT_EQ(profileList(0), c.expected);
    }
    // The stock name itself registered: it appears once, at the end.
    std::string trinitron = colourFile("TRINITRON Compatible 9300K G2.2.icm");
    setList(0, {13});
    EXPECT_EQ(RegisterICCProfile(trinitron.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"TRINITRON Compatible 9300K G2.2.icm", ""}));
}

TEST_F(ProfileRegistration, TheRewrittenListKeepsTheOldNamesInOrder) {
    machine("98");
    std::string path = colourFile("New.icm");
    setList(0, nameList({"a.icm", "NEW.ICM", "b.icm", "c.icm"}));
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"a.icm", "b.icm", "c.icm", "New.icm", ""}));
    // Registering it again changes nothing.
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"a.icm", "b.icm", "c.icm", "New.icm", ""}));
    // A list without its terminator, or no list at all.
    setList(0, {'x', '.', 'i', 'c', 'm'});
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"x.icm", "New.icm", ""}));
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, classKey(0).c_str()), ERROR_SUCCESS);
    setKeyText(classKey(0), "DriverDesc", "Spectra 17");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"New.icm", ""}));
}

// Only a missing list is an empty one: a list that cannot be read (here larger than the 1 MiB
// the store reads) fails the registration, and the list and the registration record stay.
TEST_F(ProfileRegistration, AListThatCannotBeReadIsKept) {
    machine("98");
    std::string old = colourFile("Old.icm");
    ASSERT_EQ(RegisterICCProfile(old.c_str(), 1), 1);
    std::vector<BYTE> huge = nameList({std::string(2u << 20, 'h') + ".icm", "Old.icm"});
    setList(0, huge);
    std::string path = colourFile("New.icm");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 0);
    EXPECT_EQ(keyValue(classKey(0), "ICMProfile"), huge);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), old);
}

TEST_F(ProfileRegistration, ALongNameReplacesTheRecordedCalibratedProfile) {
    machine("98");
    const std::string recorded = "Spectrine 2026-12-08 G2.2 6500K old.icm";  // 39 characters
    ASSERT_EQ(WriteWin98ProfileName(recorded.c_str()), 1);
    struct Case {
        std::string name;
        bool removesRecorded;
    } cases[] = {
        {std::string(35 - 4, 'n') + ".icm", false},  // 35 characters
        {std::string(36 - 4, 'n') + ".icm", true},   // 36
        {"Spectrine 2026-12-09 G2.2 6500K new.icm", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = colourFile(c.name);
        setList(0, nameList({"a.icm", "SPECTRINE 2026-12-08 G2.2 6500K OLD.ICM", "b.icm"}));
        EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
        std::vector<std::string> expected = {"a.icm"};
        if (!c.removesRecorded) expected.push_back("SPECTRINE 2026-12-08 G2.2 6500K OLD.ICM");
        expected.insert(expected.end(), {"b.icm", c.name, ""});
        EXPECT_EQ(profileList(0), expected);
    }
    // Monitor 1 takes its own recorded name ("Win98Profile1").
    machine("98", 2);
    ASSERT_EQ(WriteWin98ProfileName0("one.icm", 1), 1);
    setList(1, nameList({"one.icm", "Spectrine 2026-12-08 G2.2 6500K old.icm"}));
    std::string path = colourFile("Spectrine 2026-12-10 G2.2 6500K two.icm");
    EXPECT_EQ(RegisterICCProfile0(path.c_str(), 1, 1), 1);
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"Spectrine 2026-12-08 G2.2 6500K old.icm",
                                                        "Spectrine 2026-12-10 G2.2 6500K two.icm",
                                                        ""}));
}

TEST_F(ProfileRegistration, MakeDefaultZeroRemovesTheNameAndWritesNoRecord) {
    machine("98");
    std::string chosen = colourFile("Netvivid.icc");
    std::string other = colourFile("New.icm");
    ASSERT_EQ(RegisterICCProfile(chosen.c_str(), 1), 1);
    ASSERT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), chosen);
    ASSERT_EQ(systemDefault(0), chosen);

    setList(0, nameList({"a.icm", "New.icm", "b.icm", "Netvivid.icc"}));
    EXPECT_EQ(RegisterICCProfile(other.c_str(), 0), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"a.icm", "b.icm", "Netvivid.icc", ""}));
    EXPECT_TRUE(registered(other));
    // Neither the record nor the system's default moved to the profile registered beside it.
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), chosen);
    EXPECT_EQ(systemDefault(0), chosen);

    // On a fresh machine no record appears at all.
    ASSERT_EQ(WriteSpectrineRegValue("ICM Registry Info", "MonitorICMProfile", REG_SZ, nullptr, 0),
              ERROR_SUCCESS);
    EXPECT_EQ(RegisterICCProfile(other.c_str(), 0), 1);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), "<absent>");
}

TEST_F(ProfileRegistration, TheRecordDescribesTheMonitorAndTheScreen) {
    machine("98");
    setSuiteDword("Debug", "GammaRamp", 1);
    std::string path = colourFile("New.icm");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey"), classKey(0));
    EXPECT_EQ(classKey(0), std::string(vlt::test::kClassRoot) + "Monitor\\0000");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc"), "Spectra 17");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), path);
    EXPECT_EQ(suiteText("ICM Registry Info", "Adapter"), "Virtual Display Adapter");
    EXPECT_EQ(suiteDword("ICM Registry Info", "BitsPixel"), 32u);
    EXPECT_EQ(suiteDword("ICM Registry Info", "GamRamp"), static_cast<DWORD>(IsGammaRampSupported()));
    EXPECT_EQ(suiteDword("ICM Registry Info", "GamRamp").value_or(0) & 1, 1u);
    EXPECT_TRUE(registered(path));
    EXPECT_EQ(systemDefault(0), path);
}

TEST_F(ProfileRegistration, EachMonitorHasItsOwnListAndDefault) {
    machine("98", 3);
    std::string path = colourFile("Third.icm");
    EXPECT_EQ(RegisterICCProfile0(path.c_str(), 1, 2), 1);
    EXPECT_EQ(profileList(2), (std::vector<std::string>{"Third.icm", ""}));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"<absent>"}));
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"<absent>"}));
    EXPECT_EQ(systemDefault(2), path);
    EXPECT_EQ(systemDefault(0), colourDir() + "sRGB Color Space Profile.icm");
    // Monitor 2's own record; monitor 0's is not touched.
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey2"), classKey(2));
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc2"), "Spectra 19");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile2"), path);
    for (const char* name : {"MonitorRegKey", "MonitorDesc", "MonitorICMProfile"})
        EXPECT_EQ(suiteText("ICM Registry Info", name), "<absent>") << name;
    EXPECT_EQ(suiteText("ICM Registry Info", "Adapter"), "Virtual Display Adapter");
}

TEST_F(ProfileRegistration, Windows95KeepsOneNameAsText) {
    machine("95");
    std::string old = colourFile("Old.icm");
    std::string path = colourFile("New.icm");
    setKeyText(classKey(0), "ICMProfile", old);

    // Not as default: registered, but the monitor keeps its profile and nothing is recorded.
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 0), 1);
    EXPECT_TRUE(registered(path));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"<type 1>", old}));
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), "<absent>");

    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"<type 1>", path}));
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), path);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc"), "Spectra 17");
    EXPECT_EQ(systemDefault(0), path);
}

TEST_F(ProfileRegistration, WithoutColourManagementOnlyTheRecordIsWritten) {
    machine("NT4");
    EXPECT_EQ(IsICMSupported(), 0);
    std::string path = colourFile("New.icm");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 0), 1);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), "<absent>");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey"), "");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc"), "Unknown Monitor");
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), path);
    EXPECT_EQ(suiteText("ICM Registry Info", "Adapter"), "Unknown");
    EXPECT_EQ(suiteDword("ICM Registry Info", "BitsPixel"), 32u);
    EXPECT_EQ(UnregisterICCProfile(path.c_str()), 1);
}

TEST_F(ProfileRegistration, ColourManagementByFamily) {
    struct Case {
        const char* family;
        int expected;
    } cases[] = {{"95", 1}, {"98", 1}, {"NT4", 0}, {"NT5", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        useFamily(c.family);
        EXPECT_EQ(IsICMSupported(), c.expected);
    }
}

// NT 5 has no plug-and-play walk: the list is kept in the fallback class key, which the
// machine has from the start, with the monitor's description.
TEST_F(ProfileRegistration, NT5KeepsTheListInTheFallbackClassKey) {
    machine("NT5");
    std::string fallback = std::string(vlt::test::kClassRoot) + "Monitor\\0000";
    std::string path = colourFile("New.icm");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"New.icm", ""}));
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey"), fallback);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc"), "Spectra 17");
    setKeyText(fallback, "DriverDesc", "Generic Monitor");
    EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"New.icm", ""}));
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorDesc"), "Generic Monitor");
}

TEST_F(ProfileRegistration, UnregisterTellsWhetherItWasRegistered) {
    machine("98");
    std::string path = colourFile("New.icm");
    EXPECT_EQ(UnregisterICCProfile(path.c_str()), 0);
    ASSERT_EQ(RegisterICCProfile(path.c_str(), 0), 1);
    EXPECT_TRUE(registered(path));
    EXPECT_EQ(UnregisterICCProfile(path.c_str()), 1);
    EXPECT_FALSE(registered(path));
    EXPECT_EQ(UnregisterICCProfile(path.c_str()), 0);
    EXPECT_EQ(UnregisterICCProfile(nullptr), 0);
}

TEST_F(ProfileRegistration, RecordedNames) {
    char out[16];
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetWin98ProfileName(out, sizeof out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(WriteWin98ProfileName("Mine.icm"), 1);
    EXPECT_EQ(WriteWin98ProfileName0("Second.icm", 1), 1);
    EXPECT_EQ(WriteWin98ProfileName0("Zero.icm", 0), 1);
    EXPECT_EQ(WriteWin98ProfileName(nullptr), 0);
    EXPECT_EQ(suiteText("Calibration", "Win98Profile"), "Mine.icm");
    EXPECT_EQ(suiteText("Calibration", "Win98Profile1"), "Second.icm");
    EXPECT_EQ(suiteText("Calibration", "Win98Profile0"), "Zero.icm");

    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetWin98ProfileName(out, sizeof out), 8);
    EXPECT_STREQ(out, "Mine.icm");
    EXPECT_EQ(static_cast<unsigned char>(out[9]), 0xbd);
    EXPECT_EQ(GetWin98ProfileName0(out, sizeof out, 1), 10);
    EXPECT_STREQ(out, "Second.icm");
    EXPECT_EQ(GetWin98ProfileName0(out, sizeof out, 2), 0);
    EXPECT_EQ(GetWin98ProfileName(out, 8), 0);  // does not fit with its terminator

    EXPECT_EQ(GetSpectrineMonitorICMName(out, sizeof out), 0);
    ASSERT_EQ(WriteSpectrineRegString("ICM Registry Info", "MonitorICMProfile", "C:\\x.icm"), 1);
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetSpectrineMonitorICMName(out, sizeof out), 8);
    EXPECT_STREQ(out, "C:\\x.icm");
    EXPECT_EQ(static_cast<unsigned char>(out[9]), 0xbd);
}

TEST_F(ProfileRegistration, DispatchGivesTheLastMonitorsOneNameEach) {
    machine("98", 3);
    setList(0, nameList({"first.icm", "second.icm"}));
    setList(1, nameList({"old1.icm"}));
    EXPECT_EQ(DispatchICMForMultiMonitor(3), 1);
    EXPECT_EQ(profileList(2), (std::vector<std::string>{"first.icm", ""}));
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"second.icm", ""}));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"first.icm", "second.icm", ""}));

    // A longer list reaches monitor 0 itself; a monitor that is not there is passed over.
    setList(0, nameList({"p.icm", "q.icm", "r.icm", "s.icm"}));
    EXPECT_EQ(DispatchICMForMultiMonitor(4), 1);
    EXPECT_EQ(profileList(2), (std::vector<std::string>{"q.icm", ""}));
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"r.icm", ""}));
    EXPECT_EQ(profileList(0), (std::vector<std::string>{"s.icm", ""}));
}

// The first monitor's own profiles reach the others as their own once those are written; any
// other name as it is.
TEST_F(ProfileRegistration, DispatchGivesEachMonitorItsOwnFamilyMember) {
    machine("98", 4);
    for (const char* file : {"Spectrine95 4.icm", "Mine 2.icm"}) colourFile(file);
    ASSERT_EQ(WriteWin98ProfileName("Mine.icm"), 1);
    ASSERT_EQ(WriteWin98ProfileName0("Mine 2.icm", 1), 1);
    const struct {
        std::vector<std::string> first;     // monitor 0's list
        std::vector<std::string> expected;  // what monitors 3, 2 and 1 get
    } cases[] = {
        {{"spectrine95.ICM", "Pantone.icc", "MINE.icm"}, {"Spectrine95 4.icm", "Pantone.icc", "Mine 2.icm"}},
        {{"Netvivid 2.icc", "Other.icm", "Mine.icm"}, {"Netvivid 2.icc", "Other.icm", "Mine 2.icm"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.front());
        setList(0, nameList(c.first));
        EXPECT_EQ(DispatchICMForMultiMonitor(4), 1);
        for (int monitor = 3; monitor >= 1; --monitor)
            EXPECT_EQ(profileList(monitor), (std::vector<std::string>{c.expected[3 - monitor], ""})) << monitor;
    }
}

TEST_F(ProfileRegistration, DispatchNeedsABinaryListOfAtMost1024Bytes) {
    machine("98", 2);
    EXPECT_EQ(DispatchICMForMultiMonitor(2), 0);  // no list
    setKeyText(classKey(0), "ICMProfile", "first.icm");
    EXPECT_EQ(DispatchICMForMultiMonitor(2), 0);
    EXPECT_EQ(profileList(1), (std::vector<std::string>{"<absent>"}));
    std::vector<BYTE> big(1025, 'x');
    big.back() = 0;
    setList(0, big);
    EXPECT_EQ(DispatchICMForMultiMonitor(2), 0);
    big.resize(1024);
    big.back() = 0;
    setList(0, big);
    EXPECT_EQ(DispatchICMForMultiMonitor(2), 1);
    EXPECT_EQ(profileList(1), (std::vector<std::string>{std::string(1023, 'x'), ""}));
    EXPECT_EQ(DispatchICMForMultiMonitor(0), 1);  // nothing to give
}

}  // namespace
