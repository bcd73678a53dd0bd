// Texts a test reads back from windows: a window's own and a tab's of a sheet. Header only.
#pragma once

#include <string>

#include "win32.h"

namespace spx::test {

inline std::string windowText(HWND w) {
    char text[256] = "";
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// The text of tab `index` of a property sheet's tab control; "<none>" when there is no tab.
inline std::string sheetTabText(HWND sheet, int index) {
    char text[64] = "<none>";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendDlgItemMessageA(sheet, IDC_PSTABCONTROL, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

}  // namespace spx::test
