#include "about_box.h"

#include "gdi_handle.h"
#include "logo_files.h"
#include "resource_ids.h"
#include "shellapi.h"
#include "text_table.h"
#include "vltutil.h"

namespace huevista {
namespace {

struct AboutState {
    const std::string* programPath;
    GdiHandle<HBITMAP> logo;
};

void close(HWND dialog, int result) {
    int noLogo = IsDlgButtonChecked(dialog, IDC_NO_LOGO) == BST_CHECKED ? 1 : 0;
    WriteControlPanelInitscreen(&noLogo);
    EndDialog(dialog, result);
}

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<AboutState*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            state->logo.reset(loadLogo(*state->programPath, "AboutLogo", "LogoAbout.bmp"));
            if (state->logo)
                SendDlgItemMessageA(dialog, IDC_LOGO_ABOUT, STM_SETIMAGE, IMAGE_BITMAP,
                                    reinterpret_cast<LPARAM>(state->logo.get()));
            SetDlgItemTextA(dialog, IDC_WEB_ADDRESS, loadString(IDS_WEB_ADDRESS).c_str());
            int noLogo = 0;
            ReadControlPanelInitscreen(&noLogo);
            CheckDlgButton(dialog, IDC_NO_LOGO, noLogo ? BST_CHECKED : BST_UNCHECKED);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL: close(dialog, LOWORD(wParam)); return TRUE;
                case IDC_WEB_ADDRESS:
                    if (HIWORD(wParam) == STN_CLICKED) ShellExecuteA(dialog, "open", loadString(IDS_WEB_ADDRESS).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
                    return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}

}  // namespace

void runAboutBox(HINSTANCE instance, HWND owner, const std::string& programPath) {
    AboutState state{&programPath, {}};
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, procedure, reinterpret_cast<LPARAM>(&state));
}

}  // namespace huevista
