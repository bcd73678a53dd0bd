#include "progress_panel.h"

#include "resource_ids.h"
#include "window_helpers.h"

namespace huevista {

ProgressPanel::~ProgressPanel() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

INT_PTR CALLBACK ProgressPanel::procedure(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return FALSE;
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
            return dialogGrey(wParam);
        default: return FALSE;
    }
}

bool ProgressPanel::create(HINSTANCE instance, HWND dialog, HWND placeholder, HFONT titleFont) {
    done_.reset(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_DOT_DONE)));
    todo_.reset(LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_DOT_TODO)));
    window_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), dialog, procedure, 0);
    if (!window_) return false;
    RECT place{};
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(window_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(placeholder, SW_HIDE);
    SendDlgItemMessageA(window_, IDC_STEP_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), TRUE);
    return true;
}

void ProgressPanel::show(int index, const std::string& title) {
    if (!window_) return;
    if (index <= 0) {
        ShowWindow(window_, SW_HIDE);
        return;
    }
    for (int dot = 0; dot < kProgressDots; ++dot)
        SendDlgItemMessageA(window_, IDC_FIRST_DOT + dot, STM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(dot < index ? done_.get() : todo_.get()));
    SetDlgItemTextA(window_, IDC_STEP_TITLE, title.c_str());
    ShowWindow(window_, SW_SHOW);
}

}  // namespace huevista
