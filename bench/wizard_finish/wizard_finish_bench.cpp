// Next on the last Color step until Done! is painted, in the wizard running in process on the
// offscreen platform with two virtual monitors (a CRT, then a flat panel), against a plain loop
// making the same store and builder calls in the same order with the same inputs and no window
// (the calibrations, monitor names, white points, screen types, the profiles of both monitors,
// the presets, both ramps and the date). Before each run of either, both ramps are taken off as
// Back from Done! takes them off (not timed). Medians of 20, in random interleaving. Goal:
// within 1.25x of the plain calls.
//
//   bench_wizard_finish [Google Benchmark flags]
#include <QApplication>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fake_suite.h"
#include "finish_calibration.h"
#include "grid_geometry.h"
#include "huevista.h"
#include "panelforge.h"
#include "profforge.h"
#include "ratio_reporter.h"
#include "vltutil.h"
#include "winplat.h"
#include "wizard_dialog.h"
#include "wizard_loop.h"

namespace {

namespace fs = std::filesystem;
using huevista::CalibrationRecord;
using huevista::StepKind;

constexpr int kRuns = 20;
constexpr int kNext = 1001, kBack = 1002;

// A system root with the GUI tests' two monitors (1024 x 768 at (0, 0), 800 x 600 at
// (1024, -100)) and the suite installed in <root>/suite, with the preset in force as an
// installation leaves it (gamma 2.2 at 6500 K).
std::string makeRoot() {
    std::string root = (fs::temp_directory_path() / "spectrine-bench-XXXXXX").string();
    if (!mkdtemp(root.data())) std::abort();
    fs::create_directories(root + "/WINDOWS/SYSTEM/COLOR");
    std::ofstream(root + "/display.ini", std::ios::binary)
        << "[Display]\r\nAdapter=Virtual Display Adapter\r\nMonitors=2\r\n"
           "\r\n[Monitor1]\r\nLeft=0\r\nTop=0\r\nWidth=1024\r\nHeight=768\r\nBitsPerPixel=32\r\nPlanes=1\r\n"
           "\r\n[Monitor2]\r\nLeft=1024\r\nTop=-100\r\nWidth=800\r\nHeight=600\r\nBitsPerPixel=32\r\nPlanes=1\r\n";
    return root;
}

void installSuite(const std::string& root) {
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    setenv("SPECTRINE_QT_STYLE", "Fusion", 1);
    WinplatResetProcessState();
    huevista::test::installFakeSuite(root);
    if (!huevista::test::writeInstalledCurrentPreset()) std::abort();
}

HWND wizard = nullptr;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}
huevista::WizardDialog& dialog() { return *huevista::WizardDialog::of(wizard); }
HWND step() { return dialog().activeStep()->window(); }

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(wizard) && IsDialogMessageA(wizard, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// A button of the main dialog, or else of the active step, clicked.
void press(int id) {
    HWND control = GetDlgItem(wizard, id);
    if (!control) control = GetDlgItem(step(), id);
    SendMessageA(control, BM_CLICK, 0, 0);
}

void clickPicture(int x, int y) {
    RECT client{};
    GetClientRect(step(), &client);
    const LPARAM at = MAKELPARAM((client.right - 395) / 2 + x, (client.bottom - 430) / 2 + y);
    SendMessageA(step(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(step(), WM_LBUTTONUP, 0, at);
}

void slide(int id, int position) {
    HWND slider = GetDlgItem(step(), id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(step(), WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(slider));
    SendMessageA(step(), WM_VSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

// Through both monitors' steps as a user would (monitor 0 a CRT, monitor 1 a flat panel) up to
// the second monitor's Color step. False when the wizard did not get there.
bool toLastColor() {
    for (int i = 0; i < 40; ++i) {
        pump();
        if (dialog().monitor() == 1 && dialog().activeKind() == StepKind::Color) return true;
        switch (dialog().activeKind()) {
            case StepKind::Setup: press(1014 + dialog().monitor()); continue;  // the choice moves on
            case StepKind::BlackPoint:
            case StepKind::Shadows:
            case StepKind::Highlights: {
                const auto grid = huevista::gridShape(dialog().activeKind() == StepKind::BlackPoint
                                                          ? huevista::GridKind::Spaced
                                                          : huevista::GridKind::Dense);
                for (int x : huevista::kColumnX) clickPicture(x + 30, huevista::kGridTop + grid.pitch * 4);
                break;
            }
            case StepKind::WhitePoint:
            case StepKind::Blue:
            case StepKind::Red:
            case StepKind::Green:
                for (int id : {1056, 1057, 1058})
                    slide(id, static_cast<int>(SendDlgItemMessageA(step(), id, TBM_GETPOS, 0, 0)) + 4);
                break;
            case StepKind::Lighting:
                if (!IsWindowEnabled(GetDlgItem(wizard, kNext))) press(1022);
                break;
            default: break;
        }
        press(kNext);
    }
    return false;
}

// What finishing leaves: both stored calibrations and both loaded ramps.
struct Stored {
    std::string crt, panel;
    std::array<WORD, 768> ramps[2];
    bool operator==(const Stored&) const = default;
};

std::string storedCalibration(const char* name) {
    char data[1024];
    DWORD type = 0, size = sizeof data;
    if (GetSpectrineRegValue("Calibration", name, &type, reinterpret_cast<BYTE*>(data), &size) != 0) return {};
    return std::string(data, size);
}

Stored stored() {
    Stored s{storedCalibration("Monitor"), storedCalibration("LCDPanel1"), {}};
    for (int n = 0; n < 2; ++n) VLTGetDeviceGammaRamp(nullptr, s.ramps[n].data(), n);
    return s;
}

Stored afterWizard, afterPeer;
std::vector<CalibrationRecord> records;  // the wizard's records as it finished them
std::vector<double> paintRuns;  // of each Next: from its return until Done! is painted
bool wizardFailed = false;

void WizardNextToDone(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        press(kNext);
        const auto pressed = std::chrono::steady_clock::now();
        pump();  // Done! opens its page from a posted message
        RedrawWindow(wizard, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        const auto painted = std::chrono::steady_clock::now();
        const std::chrono::duration<double> took = painted - start;
        state.SetIterationTime(took.count());
        paintRuns.push_back(std::chrono::duration<double>(painted - pressed).count());
        RECT pending{};
        if (dialog().activeKind() != StepKind::Done || GetUpdateRect(step(), &pending, FALSE)) {
            wizardFailed = true;
            state.SkipWithError("Next did not reach a painted Done!");
            return;
        }
        afterWizard = stored();
        press(kBack);  // takes both ramps off
        pump();
    }
}

// The calls finishing makes, made directly: the values the wizard reads back after writing
// them itself (lighting, the unadjusted preset's name) are known here, and the preset in force
// is read once.
void finishPlainly() {
    DeleteAllSpectrineCalibration();
    WriteSpectrineNbMonitors(2);
    const int lighting = records.back().lighting;
    WriteSpectrineCalibrationLighting(lighting);
    WriteSpectrineUnadjustedString("Unadjusted");
    PresetRecord preset{};
    preset.size = PRESETRECORD_SIZE;
    if (!IsGammaRampSupported() || !ReadSpectrinePreset(GetSpectrineCurrent(), &preset)) std::abort();
    const double gammas[3] = {preset.gammaRed, preset.gammaGreen, preset.gammaBlue};
    const DWORD flags = COMPUTE_PROFILES | ((preset.flags & PRESET_UNADJUSTED) ? COMPUTE_UNADJUSTED : 0);
    // Monitor 1, the panel.
    char name[256] = "";
    if (!GetWindowsMonitorName0(name, sizeof name, 1)) std::strcpy(name, "LCD Average");
    WriteSpectrineMonitorName0(name, 1);
    const PANELMODELRECORD model = huevista::panelModelOf(records[1]);
    double white[2] = {0.0, 0.0};
    DWORD kelvin = 0;
    ComputeWhitePoint2(white, name, &model, lighting, 1);
    GetTemperatureFromWhitePoint(&kelvin, white[0], white[1]);
    WriteSpectrineScreenType(records[1].displayType, 1);
    WriteOrbelModelCalibrationName("LCDPanel1", "", white[0], white[1], &model);
    ComputeProfiles2(nullptr, "Unadjusted", gammas, preset.temperature, nullptr, flags, 1);
    // Monitor 0, the CRT.
    const CalibrationRecord& crt = records[0];
    if (!GetWindowsMonitorName(name, sizeof name)) std::strcpy(name, "CRT Average");
    WriteSpectrineMonitorName(name);
    ComputeWhitePoint(white, name, crt.mottaGamma, crt.mottaK, crt.tableColor, lighting, 0);
    GetTemperatureFromWhitePoint(&kelvin, white[0], white[1]);
    WriteSpectrineScreenType(crt.displayType, 0);
    WriteSpectrineCalibrationName("Monitor", "", white[0], white[1], crt.mottaGamma[0], crt.mottaGamma[1],
                                  crt.mottaGamma[2], crt.mottaK[0], crt.mottaK[1], crt.mottaK[2], crt.tableColor[0],
                                  crt.tableColor[1], crt.tableColor[2]);
    ComputeProfiles(nullptr, "Unadjusted", gammas, preset.temperature, nullptr, flags, 0);
    WriteAllSpectrinePreset();
    SetGammaRamp2(1);
    SetGammaRamp(0);
    WriteSpectrineCalibrationDate();
}

void PlainFinishingCalls(benchmark::State& state) {
    for (auto _ : state) {
        ResetGammaRamp(0);
        ResetGammaRamp(1);
        const auto start = std::chrono::steady_clock::now();
        finishPlainly();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        afterPeer = stored();
    }
}

BENCHMARK(WizardNextToDone)->Iterations(1)->Repetitions(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFinishingCalls)->Iterations(1)->Repetitions(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);

std::vector<char*> benchArguments;
spx::bench::RatioReporter reporter;

}  // namespace

int main(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    benchArguments = {argv[0], interleave, aggregates};
    for (int i = 1; i < argc; ++i) benchArguments.push_back(argv[i]);

    const std::string root = makeRoot();
    installSuite(root);
    bool reachedColor = false;
    const bool ran = spx::bench::runInWizard(root + "/suite/huevista", [&](HWND window) {
        wizard = window;
        reachedColor = toLastColor();
        if (!reachedColor) return;
        // A first Next (not timed) gives the records the plain calls start from.
        press(kNext);
        pump();
        records = dialog().records();
        press(kBack);
        pump();
        int n = static_cast<int>(benchArguments.size());
        benchmark::Initialize(&n, benchArguments.data());
        benchmark::RunSpecifiedBenchmarks(&reporter);
    });
    if (!ran || !reachedColor) {
        std::fprintf(stderr, "bench_wizard_finish: %s\n",
                     ran ? "the wizard did not reach the second monitor's Color step" : "no GUI driver");
        fs::remove_all(root);
        return 1;
    }
    const char* suffix = "/iterations:1/repeats:20/manual_time_median";
    const double ours = reporter.ns(std::string("WizardNextToDone") + suffix);
    const double peer = reporter.ns(std::string("PlainFinishingCalls") + suffix);
    const bool same = afterWizard == afterPeer && !afterWizard.crt.empty() && !afterWizard.panel.empty();
    if (!wizardFailed && ours > 0 && peer > 0)
        std::printf("\nNext on the last Color to a painted Done! (two monitors): wizard %.2f ms, the same store and "
                    "builder calls made plainly %.2f ms (medians of %d): ratio %.2f (goal: within 1.25)\n"
                    "of the wizard's time, from Next's return until Done! is painted: %.2f ms (median)\n"
                    "both leave the same calibrations and ramps: %s\n",
                    ours, peer, kRuns, ours / peer, 1e3 * median(paintRuns), same ? "yes" : "NO");
    fs::remove_all(root);
    benchmark::Shutdown();
    return 0;
}
