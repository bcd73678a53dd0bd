// SHAppBarMessage: the task bar stand-in's state and place.
#include "detail.h"
#include "display_backend.h"

using namespace winplat::detail;

WINPLAT_API UINT_PTR SHAppBarMessage(DWORD dwMessage, PAPPBARDATA pData) {
    return guardedCall(UINT_PTR{0}, [&]() -> UINT_PTR {
        if (dwMessage != ABM_GETSTATE && dwMessage != ABM_GETTASKBARPOS) return 0;
        if (pData && pData->cbSize < sizeof(APPBARDATA)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        auto access = displayBackend();
        TaskbarPlace bar;
        bool present = access.backend.taskbar(bar);
        if (dwMessage == ABM_GETSTATE) return ABS_ALWAYSONTOP | (present && bar.autoHide ? ABS_AUTOHIDE : 0);
        if (!pData) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        RECT primary{};
        for (const MonitorDesc& m : access.backend.monitors())
            if (m.primary) primary = m.rect;
        if (!present) return FALSE;
        RECT r = primary;
        switch (bar.edge) {
            case ABE_LEFT: r.right = r.left + bar.size; break;
            case ABE_TOP: r.bottom = r.top + bar.size; break;
            case ABE_RIGHT: r.left = r.right - bar.size; break;
            default: r.top = r.bottom - bar.size; break;
        }
        pData->uEdge = bar.edge;
        pData->rc = r;
        return TRUE;
    });
}
