// PropertySheetA: the frame is a "#32770" dialog built from a classic template that
// PSCB_PRECREATE may edit (OK, Cancel, Apply, Help and the tab control, in that order); pages
// are made when first shown and laid over the tab's display area. The PSN_* notifications go
// to the pages in Win32's order and their DWLP_MSGRESULT answers decide: PSN_KILLACTIVE and
// PSN_QUERYCANCEL refuse with TRUE, PSN_SETACTIVE with -1, PSN_APPLY with PSNRET_INVALID (that
// page comes forward) or PSNRET_INVALID_NOCHANGEPAGE (the sheet stays as it is).
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "detail.h"
#include "dialog.h"
#include "dialog_template.h"
#include "propsheet.h"

namespace winplat::detail {
namespace {

constexpr int kButtons[] = {IDOK, IDCANCEL, IDC_PSAPPLY, IDHELP};  // left to right

struct Sheet {
    PROPSHEETHEADERA header{};
    std::vector<HPROPSHEETPAGE> pages;  // owned: destroyed with the sheet
    int current = -1;
    std::vector<HWND> changed;          // pages that said PSM_CHANGED
    bool applied = false, restart = false, reboot = false, ended = false;
    HWND window = nullptr;

    Sheet() = default;
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;
    ~Sheet() {
        for (HPROPSHEETPAGE page : pages) DestroyPropertySheetPage(page);
    }
    PropertyPage* page(int index) {
        return index >= 0 && static_cast<size_t>(index) < pages.size() ? propertyPage(pages[static_cast<size_t>(index)])
                                                                        : nullptr;
    }
    HWND pageWindow(int index) {
        PropertyPage* p = page(index);
        return p ? p->window() : nullptr;
    }
    INT_PTR result() const {
        if (reboot) return ID_PSREBOOTSYSTEM;
        if (restart) return ID_PSRESTARTWINDOWS;
        return applied ? 1 : 0;
    }
};

Sheet* sheetOf(HWND sheet) { return reinterpret_cast<Sheet*>(GetWindowLongPtrA(sheet, DWLP_USER)); }

// A dialog procedure's answer through DWLP_MSGRESULT.
INT_PTR answer(HWND sheet, LRESULT value) {
    SetWindowLongPtrA(sheet, DWLP_MSGRESULT, value);
    return TRUE;
}

LRESULT notifyPage(HWND sheet, HWND page, UINT code, LPARAM lParam = 0) {
    if (!page) return 0;
    PSHNOTIFY n{{sheet, 0, code}, lParam};
    return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

bool styleVisible(HWND w) { return w && (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE); }

RECT dialogUnits(HWND sheet, int cx, int cy) {
    RECT r{0, 0, cx, cy};
    MapDialogRect(sheet, &r);
    return r;
}

// The largest page template, in the sheet's dialog units as Win32 measures pages.
SIZE largestPage(Sheet& s) {
    SIZE size{0, 0};
    for (size_t i = 0; i < s.pages.size(); ++i) {
        PropertyPage* p = s.page(static_cast<int>(i));
        const auto& t = p ? p->pageTemplate() : std::nullopt;
        if (!t) continue;
        size.cx = std::max<LONG>(size.cx, t->cx);
        size.cy = std::max<LONG>(size.cy, t->cy);
    }
    return size;
}

// Tab control around the largest page, the visible buttons right-aligned under it (no row when
// none is visible), the frame around both, centred over the owner or the work area.
void layOut(HWND sheet, Sheet& s) {
    RECT margin = dialogUnits(sheet, 4, 4), button = dialogUnits(sheet, 50, 14), gap = dialogUnits(sheet, 4, 0);
    SIZE units = largestPage(s);
    RECT area = dialogUnits(sheet, units.cx, units.cy);
    HWND tab = GetDlgItem(sheet, IDC_PSTABCONTROL);
    if (tab) SendMessageA(tab, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&area));
    int tabWidth = area.right - area.left, tabHeight = area.bottom - area.top;
    if (tab) MoveWindow(tab, margin.right, margin.bottom, tabWidth, tabHeight, FALSE);
    std::vector<HWND> row;
    for (int id : kButtons)
        if (HWND b = GetDlgItem(sheet, id); styleVisible(b)) row.push_back(b);
    int rowTop = margin.bottom + tabHeight + margin.bottom;
    int x = margin.right + tabWidth - static_cast<int>(row.size()) * (button.right + gap.right) + gap.right;
    for (HWND b : row) {
        MoveWindow(b, x, rowTop, button.right, button.bottom, FALSE);
        x += button.right + gap.right;
    }
    RECT frame{0, 0, 2 * margin.right + tabWidth, (row.empty() ? rowTop : rowTop + button.bottom + margin.bottom)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(sheet, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(sheet, GWL_EXSTYLE)));
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT over{};
    if (HWND owner = GetWindow(sheet, GW_OWNER); !owner || !GetWindowRect(owner, &over))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    SetWindowPos(sheet, nullptr, over.left + (over.right - over.left - width) / 2,
                 over.top + (over.bottom - over.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The tab's display area in the sheet's client coordinates.
RECT pageArea(HWND sheet) {
    RECT r{};
    HWND tab = GetDlgItem(sheet, IDC_PSTABCONTROL);
    if (!tab) return r;
    GetWindowRect(tab, &r);
    MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&r), 2);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return r;
}

// Makes page `index` the current one: made if need be, asked with PSN_SETACTIVE, shown over the
// area and its tab selected. False when it cannot be made or refuses.
bool activate(HWND sheet, Sheet& s, int index) {
    PropertyPage* p = s.page(index);
    HWND page = p ? p->create(sheet) : nullptr;
    if (!page) return false;
    RECT area = pageArea(sheet);
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
    if (notifyPage(sheet, page, PSN_SETACTIVE) == -1) return false;
    HWND previous = s.pageWindow(s.current);
    s.current = index;
    SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowWindow(page, SW_SHOWNA);
    if (previous && previous != page) ShowWindow(previous, SW_HIDE);
    EnableWindow(GetDlgItem(sheet, IDHELP), p->hasHelp());
    return true;
}

// A change of page the user or a PSM_SETCURSEL asks for: the current page may refuse to be
// left, the new one to be shown (the current one then stays, and is told it is active again).
bool changePage(HWND sheet, Sheet& s, int index, bool askLeaving) {
    if (!s.page(index)) return false;
    if (index == s.current) return true;
    HWND previous = s.pageWindow(s.current);
    if (askLeaving && previous && notifyPage(sheet, previous, PSN_KILLACTIVE)) return false;
    if (activate(sheet, s, index)) return true;
    SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_SETCURSEL, static_cast<WPARAM>(s.current), 0);
    notifyPage(sheet, previous, PSN_SETACTIVE);
    return false;
}

void end(HWND sheet, Sheet& s) {
    s.ended = true;
    if (!(s.header.dwFlags & PSH_MODELESS)) EndDialog(sheet, s.result());
}

// OK (closing) and Apply: the current page may refuse to be left, then every page made hears
// PSN_APPLY; the first that finds its data invalid keeps the sheet.
bool apply(HWND sheet, Sheet& s, bool closing) {
    HWND current = s.pageWindow(s.current);
    if (current && notifyPage(sheet, current, PSN_KILLACTIVE)) return false;
    for (size_t i = 0; i < s.pages.size(); ++i) {
        HWND page = s.pageWindow(static_cast<int>(i));
        if (!page) continue;
        LRESULT verdict = notifyPage(sheet, page, PSN_APPLY, closing);
        if (verdict == PSNRET_INVALID) activate(sheet, s, static_cast<int>(i));
        if (verdict == PSNRET_INVALID || verdict == PSNRET_INVALID_NOCHANGEPAGE) return false;
    }
    s.applied = true;
    s.changed.clear();
    EnableWindow(GetDlgItem(sheet, IDC_PSAPPLY), FALSE);
    if (!closing) notifyPage(sheet, s.pageWindow(s.current), PSN_SETACTIVE);
    return true;
}

void cancel(HWND sheet, Sheet& s) {
    HWND current = s.pageWindow(s.current);
    if (current && notifyPage(sheet, current, PSN_QUERYCANCEL)) return;
    for (size_t i = 0; i < s.pages.size(); ++i)
        if (HWND page = s.pageWindow(static_cast<int>(i))) notifyPage(sheet, page, PSN_RESET, TRUE);
    end(sheet, s);
}

void command(HWND sheet, Sheet& s, int id) {
    if (s.ended) return;
    switch (id) {
        case IDOK:
            if (apply(sheet, s, true)) end(sheet, s);
            break;
        case IDCANCEL: cancel(sheet, s); break;
        case IDC_PSAPPLY: apply(sheet, s, false); break;
        case IDHELP: notifyPage(sheet, s.pageWindow(s.current), PSN_HELP); break;
        default: break;
    }
}

void markChanged(HWND sheet, Sheet& s, HWND page, bool changed) {
    auto at = std::find(s.changed.begin(), s.changed.end(), page);
    if (changed && at == s.changed.end()) s.changed.push_back(page);
    if (!changed && at != s.changed.end()) s.changed.erase(at);
    EnableWindow(GetDlgItem(sheet, IDC_PSAPPLY), !s.changed.empty());
}

void initialise(HWND sheet, Sheet& s) {
    SetWindowLongPtrA(sheet, DWLP_USER, reinterpret_cast<LONG_PTR>(&s));
    s.window = sheet;
    HWND tab = GetDlgItem(sheet, IDC_PSTABCONTROL);
    for (size_t i = 0; i < s.pages.size(); ++i) {
        PropertyPage* p = s.page(static_cast<int>(i));
        std::string text = p ? p->tabText() : std::string();
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    layOut(sheet, s);
    EnableWindow(GetDlgItem(sheet, IDC_PSAPPLY), FALSE);
    int count = static_cast<int>(s.pages.size());
    int start = (s.header.dwFlags & PSH_USEPSTARTPAGE) ? 0 : static_cast<int>(std::min<UINT>(s.header.nStartPage, count - 1));
    for (int step = 0; step < count && !activate(sheet, s, (start + step) % count); ++step) {
    }
    if (DialogInfo* info = dialogInfo(sheet)) info->focus = tab;
    if ((s.header.dwFlags & PSH_USECALLBACK) && s.header.pfnCallback)
        s.header.pfnCallback(sheet, PSCB_INITIALIZED, 0);
}

INT_PTR CALLBACK sheetProc(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initialise(sheet, *reinterpret_cast<Sheet*>(lParam));
        return FALSE;
    }
    Sheet* s = sheetOf(sheet);
    if (!s) return FALSE;
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) command(sheet, *s, LOWORD(wParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || header->idFrom != IDC_PSTABCONTROL) return FALSE;
            if (header->code == TCN_SELCHANGING)
                return answer(sheet, notifyPage(sheet, s->pageWindow(s->current), PSN_KILLACTIVE) != 0);
            if (header->code == TCN_SELCHANGE) {
                int chosen = static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0));
                changePage(sheet, *s, chosen, false);
            }
            return answer(sheet, 0);
        }
        case PSM_SETCURSEL: {
            int index = static_cast<int>(wParam);
            if (lParam) {
                auto at = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<HPROPSHEETPAGE>(lParam));
                index = at == s->pages.end() ? -1 : static_cast<int>(at - s->pages.begin());
            }
            return answer(sheet, !s->ended && changePage(sheet, *s, index, true));
        }
        case PSM_CHANGED:
        case PSM_UNCHANGED:
            markChanged(sheet, *s, reinterpret_cast<HWND>(wParam), message == PSM_CHANGED);
            return answer(sheet, 0);
        case PSM_RESTARTWINDOWS: s->restart = true; return answer(sheet, 0);
        case PSM_REBOOTSYSTEM: s->reboot = true; return answer(sheet, 0);
        case PSM_APPLY: return answer(sheet, !s->ended && apply(sheet, *s, false));
        case PSM_PRESSBUTTON: {
            const int ids[] = {0, 0, 0, IDOK, IDC_PSAPPLY, IDCANCEL, IDHELP};
            int id = wParam < std::size(ids) ? ids[wParam] : 0;
            HWND button = id ? GetDlgItem(sheet, id) : nullptr;
            if (button && IsWindowEnabled(button))
                SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return answer(sheet, 0);
        }
        case PSM_GETCURRENTPAGEHWND:
            return answer(sheet, s->ended ? 0 : reinterpret_cast<LRESULT>(s->pageWindow(s->current)));
        case PSM_GETTABCONTROL:
            return answer(sheet, reinterpret_cast<LRESULT>(GetDlgItem(sheet, IDC_PSTABCONTROL)));
        case PSM_ISDIALOGMESSAGE: {
            auto* msg = reinterpret_cast<MSG*>(lParam);
            bool ours = msg && (msg->hwnd == sheet || IsChild(sheet, msg->hwnd));
            return answer(sheet, ours && IsDialogMessageA(sheet, msg));
        }
        case WM_NCDESTROY:
            SetWindowLongPtrA(sheet, DWLP_USER, 0);
            delete s;  // its pages: PSPCB_RELEASE and the parents' counts
            return FALSE;
        default: return FALSE;
    }
}

std::string captionOf(const PROPSHEETHEADERA& h) {
    std::string caption;
    if (h.pszCaption && IS_INTRESOURCE(h.pszCaption)) {
        char text[256];
        int n = LoadStringA(h.hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(h.pszCaption)), text, sizeof text);
        caption.assign(text, n > 0 ? static_cast<size_t>(n) : 0);
    } else if (h.pszCaption) {
        caption = h.pszCaption;
    }
    return (h.dwFlags & PSH_PROPTITLE) ? "Properties for " + caption : caption;
}

DialogItemTemplate frameItem(DWORD id, WORD atom, DWORD style, const char* title, short x, short y, short cx, short cy) {
    DialogItemTemplate item;
    item.style = WS_CHILD | style;
    item.id = id;
    if (atom) item.className.ordinal = atom;
    else item.className.text = WC_TABCONTROLA;
    item.title.text = title;
    item.x = x, item.y = y, item.cx = cx, item.cy = cy;
    return item;
}

// The frame's template in dialog units around pages of `page` units; the sheet lays itself out
// again in pixels once its font is known.
DialogTemplate frameTemplate(const PROPSHEETHEADERA& h, SIZE page) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    t.title = captionOf(h);
    t.pointSize = 8;
    t.face = "MS Shell Dlg";
    auto tabWidth = static_cast<short>(page.cx + 8), tabHeight = static_cast<short>(page.cy + 20);
    auto rowTop = static_cast<short>(tabHeight + 8);
    t.cx = static_cast<short>(tabWidth + 8);
    t.cy = static_cast<short>(rowTop + 18);
    constexpr WORD kButton = 0x80;
    auto x = [&](int slot) { return static_cast<short>(t.cx - 4 - (4 - slot) * 54 + 4); };
    t.items.push_back(frameItem(IDOK, kButton, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, "OK", x(0), rowTop, 50, 14));
    t.items.push_back(frameItem(IDCANCEL, kButton, WS_VISIBLE | WS_TABSTOP, "Cancel", x(1), rowTop, 50, 14));
    DWORD applyVisible = (h.dwFlags & PSH_NOAPPLYNOW) ? 0 : WS_VISIBLE;
    t.items.push_back(frameItem(IDC_PSAPPLY, kButton, applyVisible | WS_TABSTOP | WS_DISABLED, "&Apply", x(2), rowTop, 50, 14));
    DWORD helpVisible = (h.dwFlags & PSH_HASHELP) ? WS_VISIBLE : 0;
    t.items.push_back(frameItem(IDHELP, kButton, helpVisible | WS_TABSTOP, "Help", x(3), rowTop, 50, 14));
    t.items.push_back(frameItem(IDC_PSTABCONTROL, 0, WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS, "", 4, 4,
                                tabWidth, tabHeight));
    return t;
}

// The pages a header names, each a handle the sheet will own; empty (with the last error set)
// when one cannot be had. Handles given by the caller are owned only once all are valid.
std::vector<HPROPSHEETPAGE> pagesOf(const PROPSHEETHEADERA& h) {
    std::vector<HPROPSHEETPAGE> pages;
    if (h.dwFlags & PSH_PROPSHEETPAGE) {
        const auto* at = reinterpret_cast<const BYTE*>(h.ppsp);
        for (UINT i = 0; at && i < h.nPages; ++i) {
            const auto* description = reinterpret_cast<LPCPROPSHEETPAGEA>(at);
            HPROPSHEETPAGE page = createPropertyPage(description);
            if (!page) {
                for (HPROPSHEETPAGE made : pages) DestroyPropertySheetPage(made);
                return {};
            }
            pages.push_back(page);
            at += description->dwSize;
        }
    } else {
        for (UINT i = 0; h.phpage && i < h.nPages; ++i) {
            if (!propertyPage(h.phpage[i])) {
                SetLastError(ERROR_INVALID_HANDLE);
                return {};
            }
            pages.push_back(h.phpage[i]);
        }
    }
    if (pages.empty()) SetLastError(ERROR_INVALID_PARAMETER);
    return pages;
}

INT_PTR propertySheet(LPCPROPSHEETHEADERA header) {
    if (!header || header->dwSize < sizeof(PROPSHEETHEADERA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto sheet = std::make_unique<Sheet>();
    sheet->header = *header;
    sheet->pages = pagesOf(*header);
    if (sheet->pages.empty()) return -1;
    std::vector<BYTE> bytes = writeDialogTemplate(frameTemplate(*header, largestPage(*sheet)));
    if ((header->dwFlags & PSH_USECALLBACK) && header->pfnCallback)
        header->pfnCallback(nullptr, PSCB_PRECREATE, reinterpret_cast<LPARAM>(bytes.data()));
    auto edited = parseDialogTemplate(bytes);
    if (!edited) {
        SetLastError(ERROR_INVALID_DATA);
        return -1;
    }
    // A frame whose dialog frame was taken away keeps no modal frame either.
    if (!(edited->style & WS_DLGFRAME)) edited->style &= ~DS_MODALFRAME;
    bool modeless = (header->dwFlags & PSH_MODELESS) != 0;
    Sheet* state = sheet.get();
    HWND frame = createDialog(header->hInstance, *edited, header->hwndParent, sheetProc, reinterpret_cast<LPARAM>(state),
                              nullptr, !modeless);
    if (state->window) sheet.release();  // the frame owns it from its WM_INITDIALOG on
    if (!frame) return -1;
    if (!modeless) return runModal(frame, header->hwndParent);
    ShowWindow(frame, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(frame);
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API INT_PTR PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
    return guardedCall(INT_PTR{-1}, [&] { return propertySheet(lppsph); });
}
