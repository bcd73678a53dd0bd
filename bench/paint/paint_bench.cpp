// A full 1920 x 1080 WM_PAINT of the dither and patch pattern through GDI calls (a 1-on-2-off
// dither of the red channel drawn as one line per lit column, and 59 x 18 grey patches every 36
// pixels down and 72 across), against the same pattern painted by a bare QPainter into a
// QImage with the same calls. The GDI side includes BeginPaint, EndPaint and presenting the
// window on Qt's offscreen platform. Goal: within 1.5 times the peer.
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ratio_reporter.h"
#include "winplat.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

std::string benchRoot() {
    static std::string root = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        std::filesystem::create_directories(templ + "/WINDOWS/SYSTEM/COLOR");
        std::ofstream(templ + "/display.ini") << "[Monitor1]\r\nWidth=1920\r\nHeight=1080\r\n";
        return templ;
    }();
    return root;
}

// The grey level of patch (i, j).
int level(int i, int j) { return (i * 10 + j * 3) & 0xFF; }

void paintWithGdi(HDC dc) {
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, black);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, red);
    for (int x = 0; x < kWidth; x += 3) {
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, kHeight);
    }
    SelectObject(dc, old);
    DeleteObject(red);
    for (int j = 0; j * 36 < kHeight; ++j)
        for (int i = 0; i * 72 < kWidth; ++i) {
            HBRUSH grey = CreateSolidBrush(RGB(level(i, j), level(i, j), level(i, j)));
            RECT r{i * 72, j * 36, i * 72 + 59, j * 36 + 18};
            FillRect(dc, &r, grey);
            DeleteObject(grey);
        }
}

LRESULT CALLBACK patternProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT) return DefWindowProcA(hwnd, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (dc) paintWithGdi(dc);
    EndPaint(hwnd, &ps);
    return 0;
}

void GdiPaint(benchmark::State& state) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = patternProc;
    wc.lpszClassName = "SpxBenchPattern";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, "SpxBenchPattern", "", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                             nullptr, nullptr, nullptr);
    if (!w) {
        state.SkipWithError("no window (is the GUI driver built?)");
        return;
    }
    UpdateWindow(w);
    for (auto _ : state) {
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
    }
    HDC dc = GetDC(w);
    if (GetPixel(dc, 3, 20) != RGB(255, 0, 0) || GetPixel(dc, 1, 20) != RGB(0, 0, 0))
        state.SkipWithError("the pattern did not arrive");
    ReleaseDC(w, dc);
    DestroyWindow(w);
}

void BareQPainter(benchmark::State& state) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(0, 0, kWidth, kHeight), Qt::black);
        p.setPen(QColor(255, 0, 0));
        for (int x = 0; x < kWidth; x += 3) p.drawLine(x, 0, x, kHeight - 1);
        for (int j = 0; j * 36 < kHeight; ++j)
            for (int i = 0; i * 72 < kWidth; ++i)
                p.fillRect(QRect(i * 72, j * 36, 59, 18), QColor(level(i, j), level(i, j), level(i, j)));
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(GdiPaint)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(BareQPainter)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SPECTRINE_ROOT", benchRoot().c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Times are in the benchmarks' unit, milliseconds.
    double gdi = reporter.ns("GdiPaint/min_time:2.000"), qt = reporter.ns("BareQPainter/min_time:2.000");
    if (gdi > 0 && qt > 0)
        std::printf("\nWM_PAINT through GDI %.2f ms vs bare QPainter %.2f ms: ratio %.2f (goal: at most 1.5)\n",
                    gdi, qt, gdi / qt);
    std::filesystem::remove_all(benchRoot());
    return 0;
}
