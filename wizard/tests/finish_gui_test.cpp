// Finishing the calibration on Next from the last Color: the stored calibrations (CRT and panel,
// under their names with the monitor's number), lighting, monitor count, monitor names, screen
// types, the date, the unadjusted preset, the profiles (opened by Little CMS, aimed at the preset
// in force only when it is usable, unadjusted without ramp support) and the loaded ramps; Back
// from Done! takes the ramps off and Next again stores the same. Done!'s display page, with a
// double of the page library registered under its class id, and Done! without it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include <filesystem>
#include <functional>
#include <map>

#include "calibration_log.h"
#include "display_page_sheet.h"
#include "page_double.h"
#include "icc_checks.h"
#include "profforge.h"
#include "resource_ids.h"
#include "stored_results.h"
#include "text_table.h"
#include "tone_model.h"
#include "vltutil.h"
#include "white_table.h"
#include "wizard_driver.h"

namespace {

using huevista::CalibrationRecord;
using huevista::StepKind;
using huevista::test::WizardTest;
using huevista::test::identityRamp;
using huevista::test::printed;
using huevista::test::Ramp;
using huevista::test::rampOf;
using huevista::test::storedCalibration;

// Every file of the colour folder with its bytes.
std::map<std::string, std::vector<uint8_t>> colourFolder(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> out;
    for (const auto& f : icctest::listDirectory(folder)) out[f] = icctest::readBytes(folder + "/" + f);
    return out;
}

// How many top-level windows `owner` owns.
int windowsOwnedBy(HWND owner) {
    struct Count {
        HWND owner;
        int n;
    } count{owner, 0};
    EnumWindows(
        [](HWND w, LPARAM lParam) -> BOOL {
            auto* c = reinterpret_cast<Count*>(lParam);
            if (GetWindow(w, GW_OWNER) == c->owner) ++c->n;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.n;
}

class FinishTest : public WizardTest {
protected:
    // The preset in force as an installation leaves it: gamma 2.2 at 6500 K.
    void SetUp() override {
        WizardTest::SetUp();
        ASSERT_TRUE(huevista::test::writeInstalledCurrentPreset());
    }
    void forwardTo(StepKind wanted, int type) {
        for (int i = 0; i < 20 && kind() != wanted; ++i) forward(type);
        ASSERT_EQ(kind(), wanted);
    }
    // A CRT's grid results: black point 8, shadows 160, highlights 208 on every channel.
    void measuredCrt() {
        CalibrationRecord& r = dialog().working();
        for (int ch = 0; ch < 3; ++ch) r.black[ch] = 8, r.shadow[ch] = 160, r.highlight[ch] = 208;
        r.blackValid = r.shadowValid = r.highlightValid = 1;
    }
    // One CRT calibrated and finished; its record as Done! has it. The wizard's exit code.
    int calibrateOneCrt(CalibrationRecord& finished) {
        return runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
                          [&] {
                              measuredCrt();
                              matchAndGo();
                              ASSERT_EQ(kind(), StepKind::Done);
                              finished = dialog().records()[0];
                              next();  // Finish
                          }});
    }
    // From Lighting (fluorescent) over Luminance and Color at their defaults.
    void matchAndGo() {
        ASSERT_EQ(kind(), StepKind::Lighting);
        press(IDC_FLUORESCENT);
        next();
        next();
        next();
    }
    // The table colours of a CRT with the record's model at the default white, from the INI.
    std::array<double, 3> crtTableColour(const CalibrationRecord& r) {
        const auto table = huevista::WhiteTable::load(suite.ini);
        const auto white = table.valuesAt(0, 0, table.defaultPosition(0));
        std::array<double, 3> out{};
        for (int ch = 0; ch < 3; ++ch)
            out[static_cast<size_t>(ch)] =
                (std::pow(white[static_cast<size_t>(ch)], 1.0 / r.mottaGamma[ch]) - r.mottaK[ch]) / (1.0 - r.mottaK[ch]);
        return out;
    }
    void expectCrtCalibration(const char* name, const CalibrationRecord& r, int monitor) {
        SCOPED_TRACE(name);
        const auto stored = storedCalibration(name);
        ASSERT_EQ(stored.size(), 12u);
        EXPECT_EQ(stored[0], "");
        double white[2] = {0, 0};
        char monitorName[256] = "";
        GetSpectrineMonitorName(monitorName, sizeof monitorName);
        ComputeWhitePoint(white, "CRT Average", r.mottaGamma, r.mottaK, r.tableColor, 0, monitor);
        EXPECT_EQ(stored[1], printed("%.5f", white[0]));
        EXPECT_EQ(stored[2], printed("%.5f", white[1]));
        const auto colour = crtTableColour(r);
        for (size_t ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(stored[3 + ch], "2.13");
            EXPECT_EQ(stored[6 + ch], "-0.032");
            EXPECT_EQ(stored[9 + ch], printed("%.3f", colour[ch]));
        }
        DWORD kelvin = 0;
        GetTemperatureFromWhitePoint(&kelvin, white[0], white[1]);
        EXPECT_EQ(r.temperature, static_cast<int>(kelvin));
        EXPECT_NEAR(r.whitePoint[0], 100 * white[0] / white[1], 1e-9);
        EXPECT_EQ(r.whitePoint[1], 100.0);
    }
};

TEST_F(FinishTest, OneCrtStoresItsCalibrationProfilesPresetAndRamp) {
    writeDisplayIni({spx::test::VirtualMonitor{}});
    WinplatResetProcessState();
    const spx::test::ScopedVariable clock("SPECTRINE_FAKE_TIME", "2011-07-09T10:11:12");
    const int code = runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
                                [&] {
                                    measuredCrt();
                                    matchAndGo();
                                    ASSERT_EQ(kind(), StepKind::Done);
                                    const CalibrationRecord& r = dialog().records()[0];
                                    expectCrtCalibration("Monitor", r, 0);
                                    EXPECT_EQ(dialog().working().temperature, r.temperature);
                                    EXPECT_EQ(GetSpectrineCalibrationLighting(), 0);
                                    EXPECT_EQ(GetSpectrineNbMonitors(), 1);
                                    EXPECT_EQ(storedCalibration("Date"), (std::vector<std::string>{"07", "09", "2011"}));
                                    char text[256] = "";
                                    GetSpectrineMonitorName(text, sizeof text);
                                    EXPECT_STREQ(text, "CRT Average");
                                    EXPECT_EQ(GetSpectrineScreenType(0), 0);
                                    GetSpectrineUnadjustedString(text, sizeof text);
                                    EXPECT_STREQ(text, "Unadjusted");
                                    PresetRecord preset{};
                                    preset.size = PRESETRECORD_SIZE;
                                    ASSERT_TRUE(ReadSpectrinePreset("Unadjusted", &preset));
                                    EXPECT_EQ(preset.flags, 0x8001);
                                    EXPECT_TRUE(ReadSpectrinePreset("Current", &preset));
                                    const auto files = icctest::listDirectory(rootPath("WINDOWS/SYSTEM/COLOR"));
                                    EXPECT_FALSE(files.empty());
                                    for (const auto& f : files) icctest::expectLcmsAccepts(rootPath("WINDOWS/SYSTEM/COLOR/" + f));
                                    const Ramp loaded = rampOf(0);
                                    EXPECT_NE(loaded, identityRamp());
                                    SetGammaRamp(0);
                                    EXPECT_EQ(rampOf(0), loaded);
                                },
                                [&] {
                                    // No page library: the page's sheet is not there and Finish works.
                                    EXPECT_EQ(windowsOwnedBy(wizard()), 0);
                                    next();  // Finish
                                }});
    EXPECT_EQ(code, huevista::kExitFinished);
}

// The preset in force becomes the profiles' target only when it can be one: non-zero gammas and
// 4000 < T <= 25000, or its unadjusted bit. The profiles written are compared with those the
// builder writes for the expected target (writing them again must change nothing; the clock,
// which names and dates them, stands still).
TEST_F(FinishTest, TheCurrentPresetBecomesTheTargetOnlyWhenUsable) {
    const spx::test::ScopedVariable clock("SPECTRINE_FAKE_TIME", icctest::kTestClockText);
    writeDisplayIni({spx::test::VirtualMonitor{}});
    WinplatResetProcessState();
    const struct {
        const char* name;
        double gamma;
        LONG temperature;
        LONG flags;
        bool used;
    } cases[] = {
        {"gamma 0", 0.0, 6500, 0, false},         {"4000 K", 1.8, 4000, 0, false},
        {"4001 K", 1.8, 4001, 0, true},           {"25000 K", 1.8, 25000, 0, true},
        {"25001 K", 1.8, 25001, 0, false},        {"3000 K, unadjusted", 1.8, 3000, PRESET_UNADJUSTED, true},
    };
    const std::string folder = rootPath("WINDOWS/SYSTEM/COLOR");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PresetRecord current{};
        current.size = PRESETRECORD_SIZE;
        current.gammaRed = current.gammaBlue = 2.0;
        current.gammaGreen = c.gamma;
        current.temperature = c.temperature;
        current.flags = c.flags;
        std::snprintf(current.description, sizeof current.description, "%s", "Mine");
        ASSERT_TRUE(WriteSpectrinePreset("Current", &current));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        CalibrationRecord finished;
        const int code = calibrateOneCrt(finished);
        EXPECT_EQ(code, huevista::kExitFinished);
        const auto written = colourFolder(folder);
        ASSERT_FALSE(written.empty());
        const double measured[3] = {finished.mottaGamma[0], finished.mottaGamma[1], finished.mottaGamma[2]};
        const double preset[3] = {2.0, c.gamma, 2.0};
        const bool unadjusted = !c.used || (c.flags & PRESET_UNADJUSTED);
        ASSERT_TRUE(ComputeProfiles(nullptr, "Unadjusted", c.used ? preset : measured,
                                    static_cast<DWORD>(c.used ? c.temperature : finished.temperature), nullptr,
                                    COMPUTE_PROFILES | (unadjusted ? COMPUTE_UNADJUSTED : 0), 0));
        EXPECT_EQ(colourFolder(folder), written);
    }
}

TEST_F(FinishTest, ACrtThenAPanelAreStoredUnderTheirNamesAndBackAndNextStoreTheSameAgain) {
    const int code = runWizard(
        {[&] { forwardTo(StepKind::Lighting, 0); },
         [&] {
             measuredCrt();
             matchAndGo();
             ASSERT_EQ(dialog().monitor(), 1);
         },
         [&] { forwardTo(StepKind::Lighting, 1); },
         [&] {
             matchAndGo();
             ASSERT_EQ(kind(), StepKind::Done);
             const auto records = dialog().records();
             expectCrtCalibration("Monitor", records[0], 0);
             const auto panel = storedCalibration("LCDPanel1");
             ASSERT_EQ(panel.size(), 15u);
             for (size_t ch = 0; ch < 3; ++ch) EXPECT_EQ(panel[12 + ch], printed("%1.3f", records[1].tableColor[ch]));
             EXPECT_EQ(GetSpectrineScreenType(1), 1);
             EXPECT_EQ(GetSpectrineNbMonitors(), 2);
             PresetRecord preset{};
             preset.size = PRESETRECORD_SIZE;
             ASSERT_TRUE(ReadSpectrinePreset("Unadjusted", &preset));
             EXPECT_EQ(preset.gammaRed, std::round(records[0].mottaGamma[0] * 100) / 100);
             const Ramp crt = rampOf(0), lcd = rampOf(1);
             EXPECT_NE(crt, identityRamp());
             EXPECT_NE(lcd, rampOf(0));
             back();
             ASSERT_EQ(kind(), StepKind::Color);
             EXPECT_EQ(rampOf(0), identityRamp());
             EXPECT_EQ(rampOf(1), identityRamp());
             EXPECT_EQ(dialog().working().displayType, huevista::kFlatPanel);
             next();
             ASSERT_EQ(kind(), StepKind::Done);
             EXPECT_EQ(storedCalibration("LCDPanel1"), panel);
             EXPECT_EQ(rampOf(0), crt);
             EXPECT_EQ(rampOf(1), lcd);
             const auto again = dialog().records();
             for (size_t i = 0; i < 2; ++i)
                 EXPECT_EQ(std::memcmp(&again[i], &records[i], sizeof(CalibrationRecord)), 0) << "monitor " << i;
             next();
         }});
    EXPECT_EQ(code, huevista::kExitFinished);
}

// What the log's box does: removes what stood in the log's place and answers.
struct LogBox {
    std::string blocker;
    int answer;
    std::vector<std::string> texts;
    static int handle(HWND, LPCSTR text, LPCSTR caption, UINT type, void* context) {
        auto* self = static_cast<LogBox*>(context);
        self->texts.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
        std::filesystem::remove(self->blocker);
        return self->answer;
    }
};

TEST_F(FinishTest, FinishLogsEachMonitorAndABlockedLogAsksToRetryOrCancel) {
    writeDisplayIni({spx::test::VirtualMonitor{}});
    WinplatResetProcessState();
    const std::string log = suite.folder + "/Huevista.csv";
    const struct {
        const char* name;
        int answer;
        bool logged;
    } cases[] = {{"Retry", IDRETRY, true}, {"Cancel", IDCANCEL, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(log);
        std::filesystem::create_directory(log);
        LogBox box{log, c.answer, {}};
        WinplatSetMessageBoxHandler(LogBox::handle, &box);
        CalibrationRecord finished;
        const int code = calibrateOneCrt(finished);
        EXPECT_EQ(code, huevista::kExitFinished);
        ASSERT_EQ(box.texts.size(), 1u);
        EXPECT_EQ(box.texts[0], "Spectrine Huevista|Can't Open Huevista log file.\nCheck if it is used by an "
                                "application.|" + std::to_string(MB_RETRYCANCEL | MB_ICONEXCLAMATION));
        EXPECT_EQ(std::filesystem::is_regular_file(log), c.logged);
        if (!c.logged) continue;
        const std::string text = huevista::test::readText(log);
        EXPECT_EQ(text, ",,Red,Green,Blue\n" + huevista::logBlock(finished));
        EXPECT_NE(text.find("\nGamma 50,,-1,-1,-1\n"), std::string::npos);
        EXPECT_NE(text.find("\nBlackPoint,,8,8,8\n"), std::string::npos);
        // The white's temperature as the store converts it, and X, Y, Z of the white.
        const double x = finished.whitePoint[0] / (finished.whitePoint[0] + 100 + finished.whitePoint[2]);
        const double y = 100 / (finished.whitePoint[0] + 100 + finished.whitePoint[2]);
        DWORD kelvin = 0;
        GetTemperatureFromWhitePoint(&kelvin, x, y);
        EXPECT_NE(text.find("\nTemperature," + std::to_string(kelvin) + "\n"), std::string::npos);
    }
    WinplatSetMessageBoxHandler(nullptr, nullptr);
}

TEST_F(FinishTest, WithoutRampSupportDoneSaysSoAndTheProfilesAreTheMeasuredOnes) {
    const spx::test::ScopedVariable clock("SPECTRINE_FAKE_TIME", icctest::kTestClockText);
    writeDisplayIni({spx::test::VirtualMonitor{}});
    WinplatResetProcessState();
    const DWORD off = 0;
    ASSERT_EQ(WriteSpectrineRegValue("Debug", "GammaRamp", REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off), 0);
    const int code = runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
                                [&] {
                                    measuredCrt();
                                    matchAndGo();
                                    ASSERT_EQ(kind(), StepKind::Done);
                                    EXPECT_EQ(instructionShown(), huevista::loadString(IDS_DONE_NO_RAMP));
                                    const CalibrationRecord& r = dialog().records()[0];
                                    expectCrtCalibration("Monitor", r, 0);
                                    // The unadjusted profiles of the measured state, though the
                                    // preset in force (2.2, 6500 K) is usable.
                                    const std::string folder = rootPath("WINDOWS/SYSTEM/COLOR");
                                    const auto written = colourFolder(folder);
                                    ASSERT_FALSE(written.empty());
                                    for (const auto& f : written) icctest::expectLcmsAccepts(folder + "/" + f.first);
                                    ASSERT_TRUE(ComputeProfiles(nullptr, "Unadjusted", r.mottaGamma,
                                                                static_cast<DWORD>(r.temperature), nullptr,
                                                                COMPUTE_PROFILES | COMPUTE_UNADJUSTED, 0));
                                    EXPECT_EQ(colourFolder(folder), written);
                                    next();
                                }});
    EXPECT_EQ(code, huevista::kExitFinished);
}

// The display page double registered under the page's class id, kept loaded so that what its
// page is told reaches the test.
class DisplayPageTest : public FinishTest {
protected:
    void SetUp() override {
        FinishTest::SetUp();
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        writeDisplayIni({spx::test::VirtualMonitor{}});
        WinplatResetProcessState();  // one monitor; modules loaded before this are forgotten
        library = LoadLibraryA(HUEVISTA_PAGE_DOUBLE_PATH);
        ASSERT_NE(library, nullptr);
        auto registerServer = reinterpret_cast<HRESULT (*)()>(GetProcAddress(library, "DllRegisterServer"));
        auto listen = reinterpret_cast<PageDoubleListenFn>(GetProcAddress(library, "PageDoubleListen"));
        ASSERT_TRUE(registerServer && listen);
        ASSERT_EQ(registerServer(), S_OK);
        listen(heard, this);
    }
    void TearDown() override {
        if (library) {
            reinterpret_cast<PageDoubleListenFn>(GetProcAddress(library, "PageDoubleListen"))(nullptr, nullptr);
            FreeLibrary(library);
        }
        CoUninitialize();
        FinishTest::TearDown();
    }
    static void heard(const char* what, HWND page, WPARAM wParam, void* ctx) {
        auto* self = static_cast<DisplayPageTest*>(ctx);
        std::string event = what;
        if (event == "show wizard button") {
            event += " " + std::to_string(wParam);
            // The calibration is stored before the page shows.
            if (storedCalibration("Monitor").empty()) event += " before the calibration";
            if (self->onShow) self->onShow();
        }
        if (page) self->page = page;
        self->events.push_back(event);
    }
    // The sheet holding the page: frameless, its own buttons hidden, owned by the step's window (the wizard).
    void expectFramelessSheetOwnedByTheStep() {
        ASSERT_TRUE(IsWindow(page));
        HWND sheet = GetParent(page);
        EXPECT_EQ(windowsOwnedBy(wizard()), 1);
        EXPECT_EQ(GetWindow(sheet, GW_OWNER), wizard());  // the step's top-level window
        EXPECT_EQ(GetWindowLongPtrA(sheet, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME | WS_SYSMENU), 0);
        for (int id : {IDOK, IDCANCEL, IDC_PSAPPLY}) {
            SCOPED_TRACE(id);
            ASSERT_NE(GetDlgItem(sheet, id), nullptr);
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, id)));
        }
        EXPECT_TRUE(IsWindowVisible(page));
    }
    HMODULE library = nullptr;
    std::vector<std::string> events;
    std::function<void()> onShow;
    HWND page = nullptr;
};

TEST_F(DisplayPageTest, ThePageShowsAfterTheCalibrationIsStoredCancelsOnBackAndAppliesOnFinish) {
    const std::vector<std::string> shown = {"init", "show wizard button 0"};
    const int code = runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
                                [&] {
                                    measuredCrt();
                                    matchAndGo();
                                    ASSERT_EQ(kind(), StepKind::Done);
                                    EXPECT_TRUE(events.empty());  // posted: after Done! shows
                                },
                                [&] {
                                    EXPECT_EQ(events, shown);
                                    expectFramelessSheetOwnedByTheStep();
                                    events.clear();
                                    back();
                                    ASSERT_EQ(kind(), StepKind::Color);
                                    const std::vector<std::string> cancelled = {"reset", "release"};
                                    EXPECT_EQ(events, cancelled);
                                    EXPECT_EQ(rampOf(0), identityRamp());
                                    EXPECT_FALSE(IsWindow(page));
                                    events.clear();
                                    next();
                                },
                                [&] {
                                    ASSERT_EQ(kind(), StepKind::Done);
                                    EXPECT_EQ(events, shown);
                                    expectFramelessSheetOwnedByTheStep();
                                    events.clear();
                                    next();  // Finish
                                }});
    EXPECT_EQ(code, huevista::kExitFinished);
    const std::vector<std::string> finished = {"apply silently", "release"};  // no reset as the sheet goes
    EXPECT_EQ(events, finished);
}

TEST_F(DisplayPageTest, CancelOnDoneRestoresTheRampsFoundAtStartEvenAfterThePageLoadedOne) {
    Ramp seeded{}, chosen{};
    for (size_t i = 0; i < 768; ++i) {
        seeded[i] = static_cast<WORD>((i % 256) * 200);
        chosen[i] = static_cast<WORD>((i % 256) * 180);
    }
    ASSERT_TRUE(VLTSetDeviceGammaRamp(nullptr, seeded.data(), 0));
    onShow = [&] { VLTSetDeviceGammaRamp(nullptr, chosen.data(), 0); };  // the page loads its preset
    answerMessages(IDOK);
    const int code = runWizard({[&] { forwardTo(StepKind::Lighting, 0); },
                                [&] {
                                    measuredCrt();
                                    matchAndGo();
                                },
                                [&] {
                                    ASSERT_EQ(events.size(), 2u);
                                    EXPECT_EQ(rampOf(0), chosen);
                                    events.clear();
                                    SendMessageA(wizard(), WM_COMMAND, IDCANCEL, 0);
                                }});
    EXPECT_EQ(code, huevista::kExitCancelled);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(rampOf(0), seeded);
    const std::vector<std::string> gone = {"release"};  // destroyed, never reset
    EXPECT_EQ(events, gone);
}

}  // namespace
