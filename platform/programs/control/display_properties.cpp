// "Display Properties": the Settings page tells the primary monitor's description, size and
// depth; every handler registered for the display is made with CoCreateInstance and asked to add
// its pages. A handler that cannot be made or adds nothing is left out; the others' objects live
// until the sheet has closed.
#include "display_properties.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "win32_holders.h"

namespace {

constexpr size_t kMaxPages = 100;

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in either case.
std::optional<CLSID> classIdOf(const std::string& text) {
    unsigned long d1 = 0;
    unsigned d2 = 0, d3 = 0, b[8] = {};
    int used = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
                    &b[4], &b[5], &b[6], &b[7], &used) != 11 ||
        used != 38)
        return std::nullopt;
    CLSID id{static_cast<DWORD>(d1), static_cast<WORD>(d2), static_cast<WORD>(d3), {}};
    for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<BYTE>(b[i]);
    return id;
}

// The handlers' class ids, in the order they were registered.
std::vector<CLSID> displayHandlers() {
    std::vector<CLSID> out;
    winplat::RegKey handlers(HKEY_LOCAL_MACHINE, kDisplayHandlersKey);
    if (!handlers) return out;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(handlers.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        winplat::RegKey handler(handlers.get(), name);
        char value[64] = "";
        DWORD bytes = sizeof value - 1, type = REG_NONE;
        if (handler && RegQueryValueExA(handler.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) !=
                           ERROR_SUCCESS)
            value[0] = '\0';
        value[sizeof value - 1] = '\0';
        if (auto id = classIdOf(type == REG_SZ && value[0] ? value : name)) out.push_back(*id);
    }
    return out;
}

BOOL CALLBACK collectPage(HPROPSHEETPAGE page, LPARAM lParam) {
    auto* pages = reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam);
    if (pages->size() >= kMaxPages) return FALSE;
    pages->push_back(page);
    return TRUE;
}

void showSettings(HWND page) {
    DISPLAY_DEVICEA adapter{};
    adapter.cb = sizeof adapter;
    std::string display = "Default Monitor";
    if (EnumDisplayDevicesA(nullptr, 0, &adapter, 0)) {
        DISPLAY_DEVICEA monitor{};
        monitor.cb = sizeof monitor;
        if (EnumDisplayDevicesA(adapter.DeviceName, 0, &monitor, 0)) display = monitor.DeviceString;
        display += " on ";
        display += adapter.DeviceString;
    }
    SetDlgItemTextA(page, 1001, display.c_str());
    winplat::DeviceContext screen = winplat::DeviceContext::screen();
    char text[64];
    std::snprintf(text, sizeof text, "%d by %d pixels", GetDeviceCaps(screen.get(), HORZRES),
                  GetDeviceCaps(screen.get(), VERTRES));
    SetDlgItemTextA(page, 1002, text);
    int bits = GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
    if (bits >= 24) std::snprintf(text, sizeof text, "True Color (%d bit)", bits);
    else if (bits >= 15) std::snprintf(text, sizeof text, "High Color (%d bit)", bits);
    else std::snprintf(text, sizeof text, "%d Colors", 1 << bits);
    SetDlgItemTextA(page, 1003, text);
}

INT_PTR CALLBACK settingsProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        showSettings(page);
        return TRUE;
    }
    return FALSE;  // read-only: every notification is answered with 0
}

}  // namespace

INT_PTR runDisplayProperties(HINSTANCE resources, UINT startPage) {
    HRESULT com = CoInitialize(nullptr);
    std::vector<HPROPSHEETPAGE> pages;
    PROPSHEETPAGEA settings{};
    settings.dwSize = sizeof settings;
    settings.hInstance = resources;
    settings.pszTemplate = MAKEINTRESOURCEA(100);
    settings.pfnDlgProc = settingsProc;
    if (HPROPSHEETPAGE page = CreatePropertySheetPageA(&settings)) pages.push_back(page);
    std::vector<IShellPropSheetExt*> extensions;
    for (const CLSID& id : displayHandlers()) {
        IShellPropSheetExt* extension = nullptr;
        if (FAILED(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IShellPropSheetExt,
                                    reinterpret_cast<void**>(&extension))) ||
            !extension)
            continue;
        extension->AddPages(collectPage, reinterpret_cast<LPARAM>(&pages));
        extensions.push_back(extension);
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.pszCaption = "Display Properties";
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage;
    header.phpage = pages.data();
    INT_PTR result = PropertySheetA(&header);
    for (IShellPropSheetExt* extension : extensions) extension->Release();
    if (SUCCEEDED(com)) {
        CoFreeUnusedLibraries();
        CoUninitialize();
    }
    return result;
}
