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
    WinplatSetSoundHandler(soundHandler, this);
    WinplatSetHelpHandler(helpHandler, this);
    WinplatSetShellExecuteHandler(shellHandler, this);
}

namespace {
std::string orNull(LPCSTR text) { return text ? text : "<null>"; }
}  // namespace

BOOL GuiTest::helpHandler(HWND, LPCSTR file, UINT command, ULONG_PTR data, void* ctx) {
    static_cast<GuiTest*>(ctx)->helpCalls.push_back(orNull(file) + "|" + std::to_string(command) + "|" +
                                                    std::to_string(data));
    return TRUE;
}

BOOL GuiTest::shellHandler(HWND, LPCSTR verb, LPCSTR file, LPCSTR params, void* ctx) {
    static_cast<GuiTest*>(ctx)->shellCalls.push_back(orNull(verb) + "|" + orNull(file) + "|" + orNull(params));
    return TRUE;
}

BOOL GuiTest::soundHandler(LPCSTR name, HMODULE, DWORD, void* ctx) {
    // A resource given by number is recorded as "#<number>".
    auto& sounds = static_cast<GuiTest*>(ctx)->sounds;
    if (IS_INTRESOURCE(name)) sounds.push_back("#" + std::to_string(reinterpret_cast<uintptr_t>(name)));
    else sounds.push_back(name);
    return TRUE;
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

void GuiTest::onDialog(int id, std::function<void(HWND)> script) {
    scripts_[id] = std::move(script);
    WinplatSetDialogHook(dialogHook, this);
}

void GuiTest::dialogHook(HWND dialog, HINSTANCE, LPCSTR templateName, void* ctx) {
    auto* self = static_cast<GuiTest*>(ctx);
    int id = IS_INTRESOURCE(templateName) ? static_cast<int>(reinterpret_cast<uintptr_t>(templateName)) : -1;
    if (auto it = self->scripts_.find(id); it != self->scripts_.end()) it->second(dialog);
}

void GuiTest::answerMenus(UINT id) {
    menuAnswer_ = id;
    WinplatSetPopupMenuHandler(menuHandler, this);
}

UINT GuiTest::menuHandler(HMENU menu, UINT, int, int, HWND, void* ctx) {
    auto* self = static_cast<GuiTest*>(ctx);
    std::function<void(HMENU, const std::string&)> describe = [&](HMENU m, const std::string& indent) {
        for (int i = 0; i < GetMenuItemCount(m); ++i) {
            char text[128];
            GetMenuStringA(m, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            UINT state = GetMenuState(m, static_cast<UINT>(i), MF_BYPOSITION);
            self->menusSeen.push_back(indent + text + "|" + std::to_string(state & 0xFF));
            if (HMENU sub = GetSubMenu(m, i)) describe(sub, indent + "  ");
        }
    };
    describe(menu, "");
    return self->menuAnswer_;
}

void GuiTest::pumpDialog(HWND dialog) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
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
