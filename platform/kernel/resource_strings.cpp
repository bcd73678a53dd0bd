// LoadStringA over the string tables: RT_STRING resource n holds strings 16(n-1) to 16n-1.
#include <algorithm>

#include "codepage.h"
#include "detail.h"
#include "resource_format.h"
#include "resources.h"

using namespace winplat::detail;

WINPLAT_API int LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    return guardedCall(0, [&]() -> int {
        if (cchBufferMax == 0) return -1;
        if (cchBufferMax < 0 || !lpBuffer) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        const WORD id = static_cast<WORD>(uID);  // the high word plays no part
        std::span<const BYTE> text;
        if (auto table = resourceData(hInstance, MAKEINTRESOURCEA(id / kStringsPerTable + 1),
                                      RT_STRING)) {
            text = stringInTable(*table, id % kStringsPerTable).value_or(text);
        }
        const size_t count = std::min(text.size() / 2, static_cast<size_t>(cchBufferMax) - 1);
        for (size_t i = 0; i < count; ++i) lpBuffer[i] = toWindows1252(readWord(text, 2 * i));
        lpBuffer[count] = '\0';
        return static_cast<int>(count);
    });
}
