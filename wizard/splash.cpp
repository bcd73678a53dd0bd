#include "splash.h"

#include "ascii_case.h"
#include "gdi_handle.h"
#include "install_check.h"
#include "logo_files.h"
#include "vltutil.h"
#include "window_helpers.h"

namespace huevista {
namespace {

constexpr UINT_PTR kSplashTimer = 1;

struct SplashState {
    HBITMAP bitmap;
    int width, height;
};

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<SplashState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
            break;
        case WM_PAINT:
            if (state) {
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(window, &ps);
                HDC source = CreateCompatibleDC(dc);
                {
                    Selected picture(source, state->bitmap);
                    BitBlt(dc, 0, 0, state->width, state->height, source, 0, 0, SRCCOPY);
                }
                DeleteDC(source);
                EndPaint(window, &ps);
                return 0;
            }
            break;
        case WM_TIMER:
            DestroyWindow(window);
            return 0;
        default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool closesSplash(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_LBUTTONDOWN ||
           message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

}  // namespace

bool commandLineAllowsSplash(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) continue;
        const std::string_view option(argument.data() + 1, argument.size() - 1);
        if (winplat::equalsIgnoringCase(option, "Embedding") || winplat::equalsIgnoringCase(option, "Automation"))
            return false;
    }
    return true;
}

std::string splashFile(const std::string& programPath) {
    char name[MAX_PATH];
    const std::string base =
        GetSpectrineOEMString("Splash", name, sizeof name) && name[0] ? baseNameOf(name) : baseNameOf(programPath);
    return folderOf(programPath) + base + ".bmp";
}

void showSplash(HINSTANCE instance, const std::string& programPath) {
    GdiHandle<HBITMAP> bitmap(
        static_cast<HBITMAP>(LoadImageA(nullptr, splashFile(programPath).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    BITMAP size{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof size, &size)) return;
    registerWindowClass(instance, kSplashClass, procedure, LoadCursorA(nullptr, IDC_ARROW));
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    SplashState state{bitmap.get(), size.bmWidth, size.bmHeight};
    HWND splash = CreateWindowExA(0, kSplashClass, "", WS_POPUP, work.left + (work.right - work.left - size.bmWidth) / 2,
                                  work.top + (work.bottom - work.top - size.bmHeight) / 2, size.bmWidth, size.bmHeight,
                                  nullptr, nullptr, instance, &state);
    if (!splash) return;
    ShowWindow(splash, SW_SHOW);
    UpdateWindow(splash);
    SetTimer(splash, kSplashTimer, kSplashTime, nullptr);
    MSG msg;
    while (IsWindow(splash)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (closesSplash(msg.message)) {
            DestroyWindow(splash);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (IsWindow(splash)) DestroyWindow(splash);
}

}  // namespace huevista
