// Next from Brightness until the Black Pt. step is fully painted (then Back, not timed), in the
// wizard running in process on the offscreen platform, against a bare QWidget painting one
// 1920 x 1080 frame with the same picture in the same run. Medians of 50. Goal: within 2x of
// that floor.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "grid_geometry.h"
#include "huevista.h"
#include "pictures.h"
#include "ratio_reporter.h"
#include "vltutil.h"
#include "winplat.h"
#include "wizard_dialog.h"
#include "wizard_loop.h"

namespace {

constexpr int kRuns = 50;
constexpr int kWidth = 1920, kHeight = 1080;

std::string copyOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// A system root with one 1920 x 1080 monitor and the suite installed in <root>/suite.
std::string benchRoot() {
    static std::string root = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        std::filesystem::create_directories(templ + "/WINDOWS/SYSTEM/COLOR");
        std::filesystem::create_directories(templ + "/suite");
        std::ofstream(templ + "/display.ini") << "[Monitor1]\r\nWidth=" << kWidth << "\r\nHeight=" << kHeight << "\r\n";
        std::ofstream(templ + "/suite/huevista.ini", std::ios::binary) << copyOf(SUITE_DATA "/huevista.ini");
        std::ofstream(templ + "/suite/Preset.inf", std::ios::binary) << copyOf(SUITE_DATA "/Preset.inf");
        std::ofstream(templ + "/suite/spectrine.inf", std::ios::binary)
            << "[Monitors]\r\nCRT Average=Generic, CRT Average, 1\r\nLCD Average=Generic, LCD Average, 1\r\n";
        return templ;
    }();
    return root;
}

HWND wizard = nullptr;
std::vector<double> wizardRuns, qtRuns;
bool measured = false;  // the wizard's runs reached a painted Black Pt.

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void press(int id) { SendDlgItemMessageA(wizard, id, BM_CLICK, 0, 0); }

void WizardNextToBlackPoint(benchmark::State& state) {
    auto& dialog = *huevista::WizardDialog::of(wizard);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        press(1001);
        RedrawWindow(wizard, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        wizardRuns.push_back(took.count());
        if (dialog.activeKind() != huevista::StepKind::BlackPoint) {
            state.SkipWithError("Next did not reach Black Pt.");
            return;
        }
        press(1002);
    }
    // What was measured painted: a patch of the last column at its level.
    press(1001);
    RedrawWindow(wizard, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND step = dialog.activeStep()->window();
    RECT client{};
    GetClientRect(step, &client);
    HDC dc = GetDC(step);
    const COLORREF patch = GetPixel(dc, (client.right - 395) / 2 + huevista::kColumnX[2] + 30,
                                    (client.bottom - 430) / 2 + 9 + 36 * 11 + 9);
    ReleaseDC(step, dc);
    if (patch != RGB(0, 88, 0)) state.SkipWithError("the black point picture did not paint");
    else measured = true;
    press(1002);
}

class PictureWidget : public QWidget {
public:
    PictureWidget() {
        const huevista::Picture picture = huevista::blackPointPicture();
        image_ = QImage(picture.width(), picture.height(), QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const COLORREF c = picture.at(x, y);
                image_.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
            }
        resize(kWidth, kHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.drawImage((width() - image_.width()) / 2, (height() - image_.height()) / 2, image_);
    }

private:
    QImage image_;
};

void QtFrameWithPicture(benchmark::State& state) {
    PictureWidget widget;
    widget.show();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QPixmap frame = widget.grab();
        benchmark::DoNotOptimize(frame.cacheKey());
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        qtRuns.push_back(took.count());
    }
}

BENCHMARK(WizardNextToBlackPoint)->Iterations(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(QtFrameWithPicture)->Iterations(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);

int argumentCount = 0;
char** arguments = nullptr;

}  // namespace

int main(int argc, char** argv) {
    argumentCount = argc;
    arguments = argv;
    const std::string root = benchRoot();
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    setenv("SPECTRINE_QT_STYLE", "Fusion", 1);
    const std::string program = root + "/suite/huevista";
    WriteSpectrineRegString("Settings", "AppFile", program.c_str());
    WriteSpectrineRegString("Settings", "InfFile", (root + "/suite/spectrine.inf").c_str());
    const bool ran = spx::bench::runInWizard(program, [](HWND window) {
        wizard = window;
        // CRT: on to Brightness.
        SendDlgItemMessageA(huevista::WizardDialog::of(wizard)->activeStep()->window(), 1014, BM_CLICK, 0, 0);
        benchmark::Initialize(&argumentCount, arguments);
        spx::bench::RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
    });
    if (!ran) {
        std::fprintf(stderr, "bench_wizard_step: no GUI driver\n");
        return 1;
    }
    const double platform = median(wizardRuns), qt = median(qtRuns);
    if (measured && platform > 0 && qt > 0)
        std::printf("\nNext to a painted Black Pt.: wizard %.2f ms vs QWidget frame %.2f ms (medians of %d): ratio %.2f "
                    "(goal: within 2)\n",
                    1e3 * platform, 1e3 * qt, kRuns, platform / qt);
    std::filesystem::remove_all(root);
    return 0;
}
