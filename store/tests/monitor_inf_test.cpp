// Monitor model records from the INF chain: "InfFile" and its numbered companions.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "fresh_root.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;

class MonitorInf : public FreshRootTest {
protected:
    // Points "InfFile" at `relative` below the root (Windows separators) and sets "AppFile".
    void install(const std::string& relative) {
        std::string inf = root();
        for (char c : "/" + relative) inf.push_back(c == '/' ? '\\' : c);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "AppFile", (root() + "/huevista").c_str()), 1);
        ASSERT_EQ(WriteSpectrineRegString("Settings", "InfFile", inf.c_str()), 1);
    }
    static std::string monitors(const std::string& lines) { return "[Version]\r\nClass=Monitor\r\n\r\n[Monitors]\r\n" + lines; }

    static std::string lookup(const char* key, int* result = nullptr, int monitor = -1) {
        char out[MONITOR_INF_RECORD_SIZE + 1];
        std::memset(out, 0xbd, sizeof out);
        int r = monitor < 0 ? GetMonitorInfString(key, out, MONITOR_INF_RECORD_SIZE)
                            : GetMonitorInfString0(key, out, MONITOR_INF_RECORD_SIZE, monitor);
        if (result) *result = r;
        EXPECT_EQ(static_cast<unsigned char>(out[MONITOR_INF_RECORD_SIZE]), 0xbd);
        return out;
    }
    // The key list as one string with '|' for each terminator.
    static std::string list(DWORD size, int* result) {
        std::string buffer(size + 1, '\xbd');
        *result = GetMonitorInfList(buffer.data(), size);
        EXPECT_EQ(buffer[size], '\xbd') << "written past the size";
        std::string shown;
        for (size_t i = 0; i < size; ++i) {
            if (buffer[i] == '\0') {
                shown += '|';
                if (i > 0 && buffer[i - 1] == '\0') break;
                if (i == 0) break;
            } else {
                shown += buffer[i];
            }
        }
        return shown;
    }
};

TEST_F(MonitorInf, FirstFileThatKnowsTheKeyWins) {
    install("inf/Monitors.inf");
    writeFile("inf/Monitors.inf", monitors("Alpha=A, Alpha, 1, 2, 1, 0.6, 0.3, 0.3, 0.6, 0.15, 0.06, 0.25\r\n"
                                           "Both=first\r\nEmpty=\r\n"));
    writeFile("inf/Monitors2.inf", monitors("Both=second\r\nEmpty=from two\r\n"));
    writeFile("inf/Monitors3.inf", monitors("Gamma=from three\r\n"));
    int r = -1;
    EXPECT_EQ(lookup("Alpha", &r), "A, Alpha, 1, 2, 1, 0.6, 0.3, 0.3, 0.6, 0.15, 0.06, 0.25");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(lookup("Both", &r), "first");
    EXPECT_EQ(lookup("Empty", &r), "from two") << "an empty answer does not count";
    EXPECT_EQ(lookup("Gamma", &r), "from three") << "only in the third companion";
    EXPECT_EQ(r, 1);
    EXPECT_EQ(lookup("gamma", &r), "from three") << "keys compare ignoring case";
    EXPECT_EQ(lookup("Gamma", &r, 2), "from three") << "INF keys are the same for every monitor";
    EXPECT_EQ(lookup("Delta", &r), "");
    EXPECT_EQ(r, 0);
}

TEST_F(MonitorInf, CompanionEightIsTheLast) {
    install("inf/m.inf");
    writeFile("inf/m8.inf", monitors("Eight=8\r\n"));
    writeFile("inf/m9.inf", monitors("Nine=9\r\n"));
    int r = -1;
    EXPECT_EQ(lookup("Eight", &r), "8");
    EXPECT_EQ(lookup("Nine", &r), "");
    EXPECT_EQ(r, 0);
}

TEST_F(MonitorInf, PathWithoutExtension) {
    install("inf.d/monitors");
    writeFile("inf.d/monitors", monitors("Zero=0\r\n"));
    writeFile("inf.d/monitors1.inf", monitors("One=1\r\n"));
    writeFile("inf1.inf", monitors("Wrong=the folder's dot is no extension\r\n"));
    int r = -1;
    EXPECT_EQ(lookup("Zero", &r), "0");
    EXPECT_EQ(lookup("One", &r), "1");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(lookup("Wrong", &r), "");
    EXPECT_EQ(list(64, &r), "Zero|One||");
    EXPECT_EQ(r, 1);
}

TEST_F(MonitorInf, ExtensionReplacedFromTheLastDot) {
    install("inf/crt.models.inf");
    writeFile("inf/crt.models.inf", monitors("A=a\r\n"));
    writeFile("inf/crt.models1.inf", monitors("B=b\r\n"));
    int r = -1;
    EXPECT_EQ(lookup("B", &r), "b");
}

TEST_F(MonitorInf, KeyListStopsAtTheFirstFileWithoutMonitors) {
    install("inf/Monitors.inf");
    writeFile("inf/Monitors.inf", monitors("Alpha=a\r\nBeta=b\r\n"));
    writeFile("inf/Monitors1.inf", monitors("Gamma=c\r\n"));
    writeFile("inf/Monitors2.inf", "[Version]\r\nClass=Monitor\r\n[Other]\r\nX=x\r\n");
    writeFile("inf/Monitors3.inf", monitors("Delta=d\r\n"));
    int r = -1;
    EXPECT_EQ(list(256, &r), "Alpha|Beta|Gamma||");
    EXPECT_EQ(r, 1);
    int found = -1;
    EXPECT_EQ(lookup("Delta", &found), "d") << "the lookup still reads every file";

    // A buffer that cannot take the next key ends the list before it, never inside it.
    EXPECT_EQ(list(12, &r), "Alpha|Beta||");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(list(11, &r), "Alpha||");
    EXPECT_EQ(list(7, &r), "Alpha||");
    EXPECT_EQ(list(6, &r), "|");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(GetMonitorInfList(nullptr, 10), 0);
}

TEST_F(MonitorInf, NothingToListOrLookUp) {
    int r = -1;
    EXPECT_EQ(list(32, &r), "|") << "no InfFile";
    EXPECT_EQ(r, 0);
    EXPECT_EQ(lookup("Alpha", &r), "");
    EXPECT_EQ(r, 0);

    install("inf/Monitors.inf");
    EXPECT_EQ(list(32, &r), "|") << "no file";
    EXPECT_EQ(r, 0);
    writeFile("inf/Monitors.inf", "[Version]\r\nClass=Monitor\r\n");
    EXPECT_EQ(list(32, &r), "|") << "no Monitors section";
    EXPECT_EQ(r, 0);
    EXPECT_EQ(lookup("", &r), "");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(lookup(nullptr, &r), "");
    EXPECT_EQ(r, 0);
}

TEST_F(MonitorInf, MalformedLines) {
    install("inf/Monitors.inf");
    const char text[] =
        "[Monitors]\r\n"
        "No equals sign\r\n"
        "=value without a key\r\n"
        "; a comment=not a key\r\n"
        "  Padded Key   =   padded value  \r\n"
        "Two=equals=signs\r\n"
        "Quoted=\"in quotes\"\r\n"
        "[Broken header\r\n"
        "After=broken\r\n"
        "Nul\0key=x\r\n"
        "[ monitors ]\r\n"
        "Second=section of the same name\r\n";
    writeFile("inf/Monitors.inf", std::string(text, sizeof text - 1));
    int r = -1;
    EXPECT_EQ(lookup("No equals sign", &r), "");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(lookup("Padded Key", &r), "padded value");
    EXPECT_EQ(lookup("Two", &r), "equals=signs");
    EXPECT_EQ(lookup("Quoted", &r), "in quotes");
    EXPECT_EQ(lookup("After", &r), "broken") << "a header without ']' is an ordinary line";
    EXPECT_EQ(lookup("Second", &r), "") << "only the first section of a name is read";
    EXPECT_EQ(list(256, &r), "Padded Key|Two|Quoted|After||");
    EXPECT_EQ(r, 1);
}

TEST_F(MonitorInf, OutputCutToItsSize) {
    install("inf/Monitors.inf");
    writeFile("inf/Monitors.inf", monitors("Long=0123456789abcdef\r\n"));
    char out[12];
    std::memset(out, 0xbd, sizeof out);
    EXPECT_EQ(GetMonitorInfString("Long", out, 11), 1);
    EXPECT_STREQ(out, "0123456789");
    EXPECT_EQ(static_cast<unsigned char>(out[11]), 0xbd);
    out[0] = 'x';
    EXPECT_EQ(GetMonitorInfString("Long", out, 0), 0);
    EXPECT_EQ(out[0], 'x');
}

TEST_F(MonitorInf, EdidKeysNeedAPlugAndPlayMonitor) {
    install("inf/Monitors.inf");
    writeFile("inf/Monitors.inf", monitors("PnP VESA DDC - Plug and Play Monitor=from the INF\r\n"));
    int r = -1;
    EXPECT_EQ(lookup("PnP VESA DDC - Plug and Play Monitor", &r), "") << "never answered from INF files";
    EXPECT_EQ(r, 0);
}

TEST_F(MonitorInf, SuiteInfFiles) {
    // The suite's own INF files, the CRT file first and the flat-panel file as its companion.
    const std::filesystem::path data = std::filesystem::path(SUITE_INF_DIR);
    if (!std::filesystem::exists(data / "crt.inf")) GTEST_SKIP() << "no suite INF files at " << data;
    std::filesystem::create_directories(rootPath("inf"));
    std::filesystem::copy_file(data / "crt.inf", rootPath("inf/crt.inf"));
    std::filesystem::copy_file(data / "lcd.inf", rootPath("inf/crt1.inf"));
    install("inf/crt.inf");
    int r = -1;
    EXPECT_EQ(lookup("Sony CPD-G200", &r),
              "Sony, CPD-G200, 1280, 960, 1, 0.6250, 0.3400, 0.2800, 0.5950, 0.1550, 0.0700, 0.24");
    EXPECT_EQ(r, 1);
    std::string keys(64 * 1024, '\xbd');
    ASSERT_EQ(GetMonitorInfList(keys.data(), static_cast<DWORD>(keys.size())), 1);
    size_t count = 0, at = 0;
    while (keys[at]) {
        const char* key = keys.data() + at;
        char record[MONITOR_INF_RECORD_SIZE];
        SCOPED_TRACE(key);
        EXPECT_EQ(GetMonitorInfString(key, record, sizeof record), 1) << "every listed key is found";
        at += std::strlen(key) + 1;
        ++count;
    }
    EXPECT_GT(count, 20u);
}

}  // namespace
