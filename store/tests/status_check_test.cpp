// CheckSpectrineStatus: each code reached for a real cause on the virtual display, the
// one-minute rule between the monitor's default and the recorded profile, NT 4 without the
// registration test; ForceRecalibrationWarning and RunningAsAdministrator.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "registration_test_support.h"

namespace {

using spx::test::VirtualMonitor;

class StatusCheck : public vlt::test::RegistrationTest {
protected:
    void SetUp() override {
        RegistrationTest::SetUp();
        screen_ = spx::test::monitorsSideBySide(1);
        screen_[0].description = "Spectra 17";
        writeDisplayIni(screen_, "Virtual Display Adapter");
    }
    void installed() {
        setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
        setSuiteText("Settings", "InfFile", "C:\\Spectrine\\monitors.inf");
        setSuiteDword("Debug", "GammaRamp", 1);
    }
    // Installed, and "Netvivid.icc" registered as the monitor's default.
    std::string registeredMachine() {
        installed();
        std::string path = colourFile("Netvivid.icc");
        EXPECT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
        return path;
    }
    // The display as another process would see it after the machine changed.
    void changeDisplay(const std::vector<VirtualMonitor>& monitors, const std::string& adapter) {
        writeDisplayIni(monitors, adapter);
        WinplatResetProcessState();
    }
    std::vector<VirtualMonitor> screen_;
};

TEST_F(StatusCheck, NotInstalledUntilBothPathsAreSet) {
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_NOT_INSTALLED);
    setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_NOT_INSTALLED);
    setSuiteText("Settings", "InfFile", "C:\\Spectrine\\monitors.inf");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_NOT_CALIBRATED);
}

TEST_F(StatusCheck, NeverCalibratedAndAfterTheWarningIsForced) {
    installed();
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_NOT_CALIBRATED);
    std::string path = registeredMachine();
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    EXPECT_EQ(ForceRecalibrationWarning(), 1);
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorICMProfile"), "");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_NOT_CALIBRATED);
    // The next registration as default clears the warning.
    ASSERT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
}

TEST_F(StatusCheck, AnotherMonitorDescriptionOrAdapterIsAChange) {
    registeredMachine();
    ASSERT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);

    // The monitor described differently by the system.
    std::vector<VirtualMonitor> other = screen_;
    other[0].description = "Spectra 19";
    changeDisplay(other, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    changeDisplay(screen_, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);

    // Another display adapter.
    changeDisplay(screen_, "Other Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    changeDisplay(screen_, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);

    // The monitor installed with another driver: its class key moved.
    std::string deviceKey = vlt::pnp::findMonitorKeys(0).deviceKey;
    setKeyText(deviceKey, "Driver", "Monitor\\0007");
    setKeyText(std::string(vlt::test::kClassRoot) + "Monitor\\0007", "DriverDesc", "Spectra 17");
    setKeyValue(std::string(vlt::test::kClassRoot) + "Monitor\\0007", "ICMProfile", REG_BINARY,
                vlt::test::nameList({"Netvivid.icc"}));
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
}

TEST_F(StatusCheck, AnotherDefaultProfileIsAChange) {
    std::string path = registeredMachine();
    colourFile("Other.icm");
    setWriteTime("Netvivid.icc", 1'800'000'000);
    setWriteTime("Other.icm", 1'800'000'000 + 3600);
    std::string key = classKey(0);
    setKeyValue(key, "ICMProfile", REG_BINARY, vlt::test::nameList({"Netvivid.icc", "Other.icm"}));
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    // Another spelling of the recorded name is the same file, written at the same time.
    setKeyValue(key, "ICMProfile", REG_BINARY, vlt::test::nameList({"NETVIVID.ICC"}));
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    setKeyValue(key, "ICMProfile", REG_BINARY, vlt::test::nameList({"Other.icm", "Netvivid.icc"}));
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    // A stock profile code is a list whose last name is empty.
    setKeyValue(key, "ICMProfile", REG_BINARY, {13});
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    // No list at all.
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS);
    setKeyText(key, "DriverDesc", "Spectra 17");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    (void)path;
}

// Two monitors, each registered with its own default in either order: each is compared with
// its own record. A monitor no longer attached is not compared.
TEST_F(StatusCheck, EachMonitorIsComparedWithItsOwnRecord) {
    std::vector<VirtualMonitor> two = spx::test::monitorsSideBySide(2);
    two[0].description = two[1].description = "Spectra 17";
    changeDisplay(two, "Virtual Display Adapter");
    installed();
    const std::string files[2] = {colourFile("Netvivid.icc"), colourFile("Netvivid 2.icc")};
    for (int last : {1, 0}) {
        SCOPED_TRACE(::testing::Message() << "monitor " << last << " registered last");
        ASSERT_EQ(RegisterICCProfile0(files[1 - last].c_str(), 1, 1 - last), 1);
        ASSERT_EQ(RegisterICCProfile0(files[last].c_str(), 1, last), 1);
        EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    }
    setKeyValue(classKey(1), "ICMProfile", REG_BINARY, vlt::test::nameList({"Netvivid.icc"}));
    setWriteTime("Netvivid 2.icc", 1'800'000'000);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED) << "another default on monitor 1";
    changeDisplay(screen_, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK) << "monitor 1 unplugged";
}

TEST_F(StatusCheck, FilesWrittenWithinOneMinuteCountAsTheSameProfile) {
    registeredMachine();
    colourFile("Other.icm");
    setKeyValue(classKey(0), "ICMProfile", REG_BINARY, vlt::test::nameList({"Other.icm"}));
    // 2027-01-15 10:00:00 UTC.
    const long long ten = 1'800'007'200;
    struct Case {
        const char* what;
        long long recorded, listed;  // last-write times of "Netvivid.icc" and "Other.icm"
        int expected;
    } cases[] = {
        {"same second", ten, ten, SPECTRINE_STATUS_OK},
        {"58 s and 62 s past ten", ten + 58, ten + 62, SPECTRINE_STATUS_OK},
        {"one minute", ten, ten + 60, SPECTRINE_STATUS_OK},
        {"one minute the other way", ten + 60, ten, SPECTRINE_STATUS_OK},
        {"62 seconds", ten, ten + 62, SPECTRINE_STATUS_CHANGED},
        {"two minutes", ten, ten + 120, SPECTRINE_STATUS_CHANGED},
        {"across the hour", ten + 3590, ten + 3610, SPECTRINE_STATUS_OK},
        {"across midnight", ten + 14 * 3600 - 10, ten + 14 * 3600 + 20, SPECTRINE_STATUS_OK},
        {"a day apart", ten, ten + 86400, SPECTRINE_STATUS_CHANGED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setWriteTime("Netvivid.icc", c.recorded);
        setWriteTime("Other.icm", c.listed);
        EXPECT_EQ(CheckSpectrineStatus(), c.expected);
    }
    // A file that cannot be opened is a change, even when neither can.
    setWriteTime("Netvivid.icc", ten);
    removeColourFile("Other.icm");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    removeColourFile("Netvivid.icc");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
}

TEST_F(StatusCheck, ADeeperScreenIsADepthChange) {
    screen_[0].bitsPerPixel = 16;
    writeDisplayIni(screen_, "Virtual Display Adapter");
    registeredMachine();
    EXPECT_EQ(suiteDword("ICM Registry Info", "BitsPixel"), 16u);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    screen_[0].bitsPerPixel = 24;
    changeDisplay(screen_, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_DEPTH_CHANGED);

    // A depth that is not recorded as a number is a change too.
    ASSERT_EQ(WriteSpectrineRegString("ICM Registry Info", "BitsPixel", "24"), 1);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_DEPTH_CHANGED);
    ASSERT_EQ(WriteSpectrineRegValue("ICM Registry Info", "BitsPixel", REG_DWORD, nullptr, 0),
              ERROR_SUCCESS);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_DEPTH_CHANGED);
    setSuiteDword("ICM Registry Info", "BitsPixel", 24);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
}

TEST_F(StatusCheck, AnotherGammaRampCapabilityIsAChange) {
    registeredMachine();
    ASSERT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    setSuiteDword("Debug", "GammaRamp", 0);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    setSuiteDword("Debug", "GammaRamp", 1);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    ASSERT_EQ(WriteSpectrineRegValue("ICM Registry Info", "GamRamp", REG_DWORD, nullptr, 0),
              ERROR_SUCCESS);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
}

TEST_F(StatusCheck, Nt4ComparesOnlyDepthAndGammaRamp) {
    useFamily("NT4");
    registeredMachine();
    EXPECT_EQ(suiteText("ICM Registry Info", "MonitorRegKey"), "");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    // Adapter and record keys changed: not looked at.
    ASSERT_EQ(WriteSpectrineRegString("ICM Registry Info", "Adapter", "Something Else"), 1);
    ASSERT_EQ(WriteSpectrineRegString("ICM Registry Info", "MonitorRegKey", "Elsewhere"), 1);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    setSuiteDword("Debug", "GammaRamp", 0);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
    setSuiteDword("Debug", "GammaRamp", 1);
    screen_[0].bitsPerPixel = 16;
    changeDisplay(screen_, "Virtual Display Adapter");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_DEPTH_CHANGED);
    // The same changes on Windows 98 fail the registration test.
    useFamily("98");
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_CHANGED);
}

// Whether `id` says this user is root or in the "sudo" or "wheel" group.
bool administratorById() {
    std::FILE* p = popen("id -u; id -Gn", "r");
    if (!p) return false;
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
    std::istringstream words(out);
    std::string uid, word;
    words >> uid;
    if (uid == "0") return true;
    while (words >> word)
        if (word == "sudo" || word == "wheel") return true;
    return false;
}

TEST_F(StatusCheck, AdministratorOnNt4Only) {
    struct Case {
        const char* family;
        int expected;
    } cases[] = {{"95", 1}, {"98", 1}, {"NT5", 1}, {"NT4", administratorById() ? 1 : 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        useFamily(c.family);
        EXPECT_EQ(RunningAsAdministrator(), c.expected);
    }
}

// Another process polling the status check while this one registers 200 times, each time
// after the registration record was removed: it sees no record (2) or a whole one (0), never
// half of one (a record without its adapter, depth or ramp capability would read as 3 or 4).
TEST_F(StatusCheck, APollerNeverSeesHalfARecord) {
    installed();
    std::string path = colourFile("Netvivid.icc");
    ASSERT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    ASSERT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    const std::string recordKey = std::string(vlt::test::kSuiteKey) + "ICM Registry Info";
    const std::string done = rootPath("done");
    WinplatResetProcessState();  // no connection is shared across fork
    pid_t poller = fork();
    if (poller == 0) {
        WinplatResetProcessState();
        int seen = 0;
        long polls = 0;
        while (access(done.c_str(), F_OK) != 0 || polls < 20) {
            const int status = CheckSpectrineStatus();
            seen |= 1 << (status & 7);
            ++polls;
        }
        _exit(seen);
    }
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, recordKey.c_str()), ERROR_SUCCESS);
        ASSERT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    }
    writeFile("done", "");
    int status = 0;
    ASSERT_EQ(waitpid(poller, &status, 0), poller);
    ASSERT_TRUE(WIFEXITED(status));
    const int seen = WEXITSTATUS(status);
    EXPECT_EQ(seen & ~((1 << SPECTRINE_STATUS_OK) | (1 << SPECTRINE_STATUS_NOT_CALIBRATED)), 0)
        << "statuses seen (bit per status): " << seen;
    EXPECT_NE(seen & (1 << SPECTRINE_STATUS_OK), 0);
}

// In a fresh root of each family, a profile registered as the default makes the status check
// answer 0 at once and in a later process: on NT the monitor's class key is there to hold the
// list, as on a real machine. Each family is its own test process (the store keeps its family).
class StatusAfterRegistration : public StatusCheck, public ::testing::WithParamInterface<const char*> {};

TEST_P(StatusAfterRegistration, IsZeroOnEveryFamily) {
    useFamily(GetParam());
    setSuiteText("Settings", "AppFile", "C:\\Spectrine\\huevista.exe");
    setSuiteText("Settings", "InfFile", "C:\\Spectrine\\monitors.inf");
    std::string path = colourFile("Netvivid.icc");
    ASSERT_EQ(RegisterICCProfile(path.c_str(), 1), 1);
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
    WinplatResetProcessState();
    EXPECT_EQ(CheckSpectrineStatus(), SPECTRINE_STATUS_OK);
}

INSTANTIATE_TEST_SUITE_P(Families, StatusAfterRegistration,
                         ::testing::Values("95", "98", "NT4", "NT5"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string("Windows") + info.param;
                         });

}  // namespace
