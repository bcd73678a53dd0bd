// Property sheet pages: CreatePropertySheetPageA copies the description, the page callback hears
// of the window's creation (PSPCB_CREATE) and of the page's end (PSPCB_RELEASE), and the
// parent's count follows the page under PSP_USEREFPARENT.
#include <cstring>
#include <mutex>
#include <set>

#include "detail.h"
#include "dialog.h"
#include "propsheet.h"
#include "resources.h"

namespace winplat::detail {
namespace {

// Descriptions larger than this are refused: no object that starts with one is that big.
constexpr DWORD kMaxDescription = 1u << 20;

struct PageTable {
    std::mutex mutex;
    std::set<PropertyPage*> pages;
};

PageTable& pageTable() {
    static PageTable t;
    return t;
}

// The window style of a page: a control of the sheet, never a frame of its own.
constexpr DWORD kFrameStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE | WS_DISABLED |
                               DS_MODALFRAME | WS_BORDER;

}  // namespace

std::unique_ptr<PropertyPage> PropertyPage::copy(LPCPROPSHEETPAGEA description) {
    if (!description || description->dwSize < sizeof(PROPSHEETPAGEA) || description->dwSize > kMaxDescription) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<PropertyPage> page(new PropertyPage);
    size_t units = (description->dwSize + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    page->storage_ = std::make_unique<std::max_align_t[]>(units);
    std::memcpy(page->storage_.get(), description, description->dwSize);
    PROPSHEETPAGEA& copy = page->description();
    if ((copy.dwFlags & PSP_USETITLE) && copy.pszTitle && !IS_INTRESOURCE(copy.pszTitle)) {
        page->title_ = copy.pszTitle;
        copy.pszTitle = page->title_.c_str();
    }
    if ((copy.dwFlags & PSP_USEREFPARENT) && copy.pcRefParent) ++*copy.pcRefParent;
    return page;
}

PropertyPage::~PropertyPage() {
    if (HWND w = window()) DestroyWindow(w);
    PROPSHEETPAGEA& copy = description();
    if ((copy.dwFlags & PSP_USECALLBACK) && copy.pfnCallback) copy.pfnCallback(nullptr, PSPCB_RELEASE, &copy);
    if ((copy.dwFlags & PSP_USEREFPARENT) && copy.pcRefParent) --*copy.pcRefParent;
}

const std::optional<DialogTemplate>& PropertyPage::pageTemplate() {
    if (!template_) {
        PROPSHEETPAGEA& copy = description();
        std::span<const BYTE> bytes;
        if (copy.dwFlags & PSP_DLGINDIRECT) {
            if (copy.pResource) bytes = memoryTemplate(copy.pResource);
        } else if (auto found = resourceData(copy.hInstance, copy.pszTemplate, RT_DIALOG)) {
            bytes = *found;
        }
        template_.emplace(bytes.empty() ? std::nullopt : parseDialogTemplate(bytes));
    }
    return *template_;
}

std::string PropertyPage::tabText() {
    PROPSHEETPAGEA& copy = description();
    if ((copy.dwFlags & PSP_USETITLE) && copy.pszTitle) {
        if (!IS_INTRESOURCE(copy.pszTitle)) return copy.pszTitle;
        char text[256];
        int n = LoadStringA(copy.hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(copy.pszTitle)), text, sizeof text);
        return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
    }
    const auto& t = pageTemplate();
    return t ? t->title : std::string();
}

HWND PropertyPage::create(HWND sheet) {
    if (HWND existing = window()) return existing;
    PROPSHEETPAGEA& copy = description();
    const auto& parsed = pageTemplate();
    if (!parsed) return nullptr;
    if ((copy.dwFlags & PSP_USECALLBACK) && copy.pfnCallback && !copy.pfnCallback(nullptr, PSPCB_CREATE, &copy))
        return nullptr;
    DialogTemplate t = *parsed;
    t.style = (t.style & ~kFrameStyles) | WS_CHILD | WS_TABSTOP | DS_CONTROL;
    t.exStyle |= WS_EX_CONTROLPARENT;
    LPCSTR name = (copy.dwFlags & PSP_DLGINDIRECT) ? nullptr : copy.pszTemplate;
    window_ = createDialog(copy.hInstance, t, sheet, copy.pfnDlgProc, reinterpret_cast<LPARAM>(&copy), name, false);
    return window_;
}

PropertyPage* propertyPage(HPROPSHEETPAGE handle) {
    auto* page = reinterpret_cast<PropertyPage*>(handle);
    PageTable& t = pageTable();
    std::lock_guard lock(t.mutex);
    return t.pages.count(page) ? page : nullptr;
}

HPROPSHEETPAGE createPropertyPage(LPCPROPSHEETPAGEA description) {
    std::unique_ptr<PropertyPage> page = PropertyPage::copy(description);
    if (!page) return nullptr;
    PageTable& t = pageTable();
    std::lock_guard lock(t.mutex);
    t.pages.insert(page.get());
    return reinterpret_cast<HPROPSHEETPAGE>(page.release());
}

}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer) {
    return guardedCall(HPROPSHEETPAGE{}, [&] { return createPropertyPage(constPropSheetPagePointer); });
}

WINPLAT_API BOOL DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage) {
    return guardedCall(BOOL{FALSE}, [&]() -> BOOL {
        auto* page = reinterpret_cast<PropertyPage*>(hPSPage);
        {
            PageTable& t = pageTable();
            std::lock_guard lock(t.mutex);
            if (!t.pages.erase(page)) {
                SetLastError(ERROR_INVALID_HANDLE);
                return FALSE;
            }
        }
        delete page;  // its window, PSPCB_RELEASE and the parent's count, outside the lock
        return TRUE;
    });
}
