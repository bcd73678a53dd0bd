// Creating, showing, painting and destroying the adjust-like dialog (16 controls) from its
// template, against a QDialog with the same 16 Qt widgets shown and painted on the same
// offscreen platform, in the same run. Goal: faster than the Qt dialog.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ratio_reporter.h"
#include "winplat.h"

namespace {

std::string benchRoot() {
    static std::string root = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "spectrine-bench-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        std::filesystem::create_directories(templ + "/WINDOWS/SYSTEM/COLOR");
        std::ofstream(templ + "/display.ini") << "[Monitor1]\r\nWidth=1024\r\nHeight=768\r\n";
        return templ;
    }();
    return root;
}

INT_PTR CALLBACK adjustProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            for (const char* printer : {"Epson Stylus", "Generic InkJet", "HP DeskJet"})
                SendDlgItemMessageA(dialog, 1030, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printer));
            SendDlgItemMessageA(dialog, 1030, CB_SETCURSEL, 1, 0);
            SendDlgItemMessageA(dialog, 1040, EM_LIMITTEXT, 24, 0);
            SendDlgItemMessageA(dialog, 1060, PBM_SETPOS, 40, 0);
            return TRUE;
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
            return TRUE;
        }
        default: return FALSE;
    }
}

void PlatformDialog(benchmark::State& state) {
    for (auto _ : state) {
        HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(903), nullptr, adjustProc, 0);
        if (!dialog) {
            state.SkipWithError("no dialog (are the GUI driver and the resources built?)");
            return;
        }
        ShowWindow(dialog, SW_SHOW);
        RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        DestroyWindow(dialog);
    }
    // What was measured painted: the owner-drawn OK button shows its face.
    HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(903), nullptr, adjustProc, 0);
    ShowWindow(dialog, SW_SHOW);
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HWND ok = GetDlgItem(dialog, IDOK);
    HDC dc = GetDC(ok);
    if (GetPixel(dc, 10, 10) != GetSysColor(COLOR_HIGHLIGHT)) state.SkipWithError("the dialog did not paint");
    ReleaseDC(ok, dc);
    DestroyWindow(dialog);
}

void QtDialog(benchmark::State& state) {
    for (auto _ : state) {
        auto* dialog = new QDialog;
        dialog->setWindowTitle("Adjust");
        dialog->resize(390, 276);
        auto place = [&](QWidget* w, int x, int y, int width, int height) { w->setGeometry(x, y, width, height); };
        for (int i = 0; i < 3; ++i) {
            auto* s = new QSlider(Qt::Horizontal, dialog);
            s->setTickPosition(QSlider::TicksBelow);
            place(s, 15, 16 + 36 * i, 150, 29);
        }
        auto* vertical = new QSlider(Qt::Vertical, dialog);
        vertical->setTickPosition(QSlider::TicksRight);
        place(vertical, 180, 16, 27, 130);
        for (int i = 0; i < 4; ++i) place(new QLabel("%s", dialog), 218, 20 + 36 * i, 60, 13);
        place(new QCheckBox("&Linked", dialog), 285, 16, 90, 16);
        auto* combo = new QComboBox(dialog);
        combo->addItems({"Epson Stylus", "Generic InkJet", "HP DeskJet"});
        combo->setCurrentIndex(1);
        place(combo, 15, 130, 150, 21);
        auto* edit = new QLineEdit(dialog);
        edit->setMaxLength(24);
        place(edit, 15, 159, 150, 20);
        const char* buttons[] = {"OK", "Cancel", "Help"};
        for (int i = 0; i < 3; ++i) place(new QPushButton(buttons[i], dialog), 15 + 84 * i, 236, 75, 23);
        auto* progress = new QProgressBar(dialog);
        progress->setValue(40);
        place(progress, 15, 192, 240, 16);
        place(new QLabel(dialog), 285, 163, 60, 49);
        dialog->show();
        // Painting every widget: the offscreen platform exposes the window only later, so the
        // dialog is rendered as a whole at once.
        QPixmap pixels = dialog->grab();
        benchmark::DoNotOptimize(pixels.cacheKey());
        delete dialog;
    }
}

BENCHMARK(PlatformDialog)->MinTime(2.0)->Unit(benchmark::kMillisecond);
BENCHMARK(QtDialog)->MinTime(2.0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("SPECTRINE_ROOT", benchRoot().c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    setenv("SPECTRINE_QT_STYLE", "Fusion", 1);
    // The driver makes the process's QApplication; the Qt dialog uses the same one.
    HWND warm = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    if (!warm || !QApplication::instance()) {
        std::fprintf(stderr, "bench_dialog: no GUI driver\n");
        return 1;
    }
    DestroyWindow(warm);
    benchmark::Initialize(&argc, argv);
    spx::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    double platform = reporter.ns("PlatformDialog/min_time:2.000"), qt = reporter.ns("QtDialog/min_time:2.000");
    if (platform > 0 && qt > 0)
        std::printf("\nThe 16-control dialog: platform %.2f ms vs QDialog %.2f ms: ratio %.2f (goal: below 1)\n", platform,
                    qt, platform / qt);
    std::filesystem::remove_all(benchRoot());
    return 0;
}
