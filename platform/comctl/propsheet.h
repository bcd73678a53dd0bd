// Property sheet pages between the sheet's files (internal): a page is the copy of its
// description, what its template says about it, and its window once made.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "dialog_template.h"
#include "win32.h"

namespace winplat::detail {

class PropertyPage {
public:
    // Null when the description cannot be copied (ERROR_INVALID_PARAMETER set).
    static std::unique_ptr<PropertyPage> copy(LPCPROPSHEETPAGEA description);
    ~PropertyPage();
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    PROPSHEETPAGEA& description() { return *reinterpret_cast<PROPSHEETPAGEA*>(storage_.get()); }
    // The page's template, read from its resource or memory; nothing when it has none.
    const std::optional<DialogTemplate>& pageTemplate();
    // The tab's text: the title (PSP_USETITLE, a string or a string resource), else the
    // template's caption.
    std::string tabText();
    bool hasHelp() { return (description().dwFlags & PSP_HASHELP) != 0; }
    HWND window() const { return window_ && IsWindow(window_) ? window_ : nullptr; }
    // Makes the window as a child of the sheet, after PSPCB_CREATE allows it: hidden, with the
    // copy as WM_INITDIALOG's lParam. Null when refused or when the template fails.
    HWND create(HWND sheet);

private:
    PropertyPage() = default;
    std::unique_ptr<std::max_align_t[]> storage_;
    std::string title_;  // a string title, copied
    std::optional<std::optional<DialogTemplate>> template_;
    HWND window_ = nullptr;
};

// The page behind a handle of CreatePropertySheetPageA, or null for an unknown one.
PropertyPage* propertyPage(HPROPSHEETPAGE page);
// A page of the sheet's own (PSH_PROPSHEETPAGE), as CreatePropertySheetPageA makes it.
HPROPSHEETPAGE createPropertyPage(LPCPROPSHEETPAGEA description);

}  // namespace winplat::detail
