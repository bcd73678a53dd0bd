#include "gui_test.h"

#include <QImage>

#include <cstdlib>

namespace spx::test {

void GuiTest::SetUp() {
    if (const char* style = std::getenv("SPECTRINE_QT_STYLE")) savedStyle_ = style, hadStyle_ = true;
    setenv("SPECTRINE_QT_STYLE", "Fusion", 1);
    FreshRootTest::SetUp();
    VirtualMonitor first, second;
    second.left = kSecondMonitor.left;
    second.top = kSecondMonitor.top;
    second.width = kSecondMonitor.right - kSecondMonitor.left;
    second.height = kSecondMonitor.bottom - kSecondMonitor.top;
    writeDisplayIni({first, second});
    WinplatResetProcessState();
}

void GuiTest::TearDown() {
    FreshRootTest::TearDown();
    if (hadStyle_) setenv("SPECTRINE_QT_STYLE", savedStyle_.c_str(), 1);
    else unsetenv("SPECTRINE_QT_STYLE");
}

bool GuiTest::pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        if (done()) return true;
        DWORD passed = GetTickCount() - start;
        if (passed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - passed, 50), QS_ALLINPUT);
    }
}

void GuiTest::pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::vector<std::vector<uint32_t>> GuiTest::surfaceOf(HWND hwnd, const std::string& name) {
    std::string path = rootPath(name + ".png");
    if (!WinplatSaveWindowImage(hwnd, path.c_str())) return {};
    QImage image(QString::fromStdString(path));
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        rows[static_cast<size_t>(y)].assign(line, line + image.width());
        for (uint32_t& p : rows[static_cast<size_t>(y)]) p &= 0xFFFFFF;
    }
    return rows;
}

}  // namespace spx::test
