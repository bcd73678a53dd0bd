// The display colour page shown inside the last step: the page object made through COM by its
// class id, its one page in a modeless sheet without frame or buttons, owned by the step.
#pragma once

#include "win32.h"

namespace huevista {

// The class id under which the display colour page library registers its page object.
// {E1E066B5-8E0E-11CF-97F3-00608CC03883}
inline constexpr CLSID kDisplayPageClass = {0xE1E066B5, 0x8E0E, 0x11CF, {0x97, 0xF3, 0x00, 0x60, 0x8C, 0xC0, 0x38, 0x83}};

// The page's own messages: WM_USER+1 shows (non-zero) or hides (0) its button that starts the
// wizard; WM_USER+2 applies silently.
inline constexpr UINT kPageShowWizardButton = WM_USER + 1;
inline constexpr UINT kPageApplySilently = WM_USER + 2;

class DisplayPageSheet {
public:
    DisplayPageSheet() = default;
    ~DisplayPageSheet() { close(); }
    DisplayPageSheet(const DisplayPageSheet&) = delete;
    DisplayPageSheet& operator=(const DisplayPageSheet&) = delete;

    // Makes the page object, puts its page in a frameless sheet owned by `owner`, hides the
    // page's wizard button and centres the sheet on the owner; false (nothing shown) when the
    // object cannot be made or adds no page.
    bool open(HWND owner);
    // The page applies what it shows, without asking.
    void applySilently() const;
    // Cancel pressed on the sheet: the page takes back what it changed.
    void cancel() const;
    // Destroys the sheet (no notification reaches the page) and lets the object go.
    void close();
    HWND sheet() const { return sheet_; }
    HWND page() const { return page_; }

private:
    IShellPropSheetExt* extension_ = nullptr;
    HWND sheet_ = nullptr;
    HWND page_ = nullptr;
};

// The sheet's frame as the pre-create callback gets it (a classic dialog template): no caption,
// border or system menu, and OK, Cancel and Apply not visible.
void makeFrameless(BYTE* dialogTemplate);

}  // namespace huevista
