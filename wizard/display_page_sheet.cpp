#include "display_page_sheet.h"

#include <cstring>
#include <vector>

namespace huevista {
namespace {

// Reads and writes at any alignment: a template is a byte stream.
template <typename T>
T readAt(const BYTE* p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
template <typename T>
void writeAt(BYTE* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

// Past a name-or-ordinal field (0: none, 0xFFFF: an ordinal follows, else a string to its 0).
const BYTE* pastNameOrOrdinal(const BYTE* p) {
    WORD first = readAt<WORD>(p);
    if (first == 0) return p + 2;
    if (first == 0xFFFF) return p + 4;
    while (readAt<WORD>(p) != 0) p += 2;
    return p + 2;
}
const BYTE* pastString(const BYTE* p) {
    while (readAt<WORD>(p) != 0) p += 2;
    return p + 2;
}
const BYTE* alignedFrom(const BYTE* start, const BYTE* p) {
    return start + ((p - start + 3) & ~std::ptrdiff_t{3});
}

BOOL CALLBACK collectPage(HPROPSHEETPAGE page, LPARAM lParam) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

int CALLBACK sheetCallback(HWND, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam) makeFrameless(reinterpret_cast<BYTE*>(lParam));
    return 0;
}

}  // namespace

void makeFrameless(BYTE* t) {
    const BYTE* start = t;
    DWORD style = readAt<DWORD>(t);
    writeAt<DWORD>(t, style & ~static_cast<DWORD>(WS_BORDER | WS_DLGFRAME | WS_SYSMENU));
    const WORD count = readAt<WORD>(t + 8);
    const BYTE* p = t + 18;  // style, extended style, count, x, y, cx, cy
    p = pastNameOrOrdinal(p);  // menu
    p = pastNameOrOrdinal(p);  // class
    p = pastString(p);         // caption
    if (style & DS_SETFONT) p = pastString(p + 2);  // point size, face
    for (WORD i = 0; i < count; ++i) {
        BYTE* item = t + (alignedFrom(start, p) - start);
        const WORD id = readAt<WORD>(item + 16);  // after style, extended style, x, y, cx, cy
        if (id == IDOK || id == IDCANCEL || id == IDC_PSAPPLY)
            writeAt<DWORD>(item, readAt<DWORD>(item) & ~static_cast<DWORD>(WS_VISIBLE));
        p = pastNameOrOrdinal(item + 18);  // class
        p = pastNameOrOrdinal(p);          // text
        p += 2 + readAt<WORD>(p);          // creation data
    }
}

bool DisplayPageSheet::open(HWND owner) {
    close();
    void* object = nullptr;
    if (FAILED(CoCreateInstance(kDisplayPageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IShellPropSheetExt, &object)) ||
        !object)
        return false;
    extension_ = static_cast<IShellPropSheetExt*>(object);
    std::vector<HPROPSHEETPAGE> pages;
    extension_->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages));
    if (pages.empty()) {
        close();
        return false;
    }
    for (size_t i = 1; i < pages.size(); ++i) DestroyPropertySheetPage(pages[i]);  // one page only
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.pszCaption = "";
    header.nPages = 1;
    header.phpage = pages.data();
    header.pfnCallback = sheetCallback;
    const INT_PTR made = PropertySheetA(&header);
    if (made == -1 || made == 0) {
        close();
        return false;
    }
    sheet_ = reinterpret_cast<HWND>(made);
    page_ = FindWindowExA(sheet_, nullptr, "#32770", nullptr);
    if (page_) SendMessageA(page_, kPageShowWizardButton, 0, 0);
    RECT area{}, own{};
    GetWindowRect(owner, &area);
    GetWindowRect(sheet_, &own);
    SetWindowPos(sheet_, nullptr, area.left + ((area.right - area.left) - (own.right - own.left)) / 2,
                 area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void DisplayPageSheet::applySilently() const {
    if (page_ && IsWindow(page_)) SendMessageA(page_, kPageApplySilently, 0, 0);
}

void DisplayPageSheet::cancel() const {
    if (sheet_ && IsWindow(sheet_))
        SendMessageA(sheet_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(sheet_, IDCANCEL)));
}

void DisplayPageSheet::close() {
    if (sheet_ && IsWindow(sheet_)) DestroyWindow(sheet_);
    sheet_ = page_ = nullptr;
    if (extension_) extension_->Release();
    extension_ = nullptr;
}

}  // namespace huevista
