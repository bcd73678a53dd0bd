// Temporary file names: GetTempFileNameA.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "detail.h"
#include "paths.h"

using namespace winplat::detail;

// "<path>\<first three characters of the prefix><hex number>.TMP". With a number given, only
// the name is formed; with 0, numbers are tried from a time-based start until a new file can be
// created, and that file is left behind (empty) for the caller.
WINPLAT_API UINT GetTempFileNameA(LPCSTR lpPathName, LPCSTR lpPrefixString, UINT uUnique,
                                  LPSTR lpTempFileName) {
    return winplat::detail::guardedCall(UINT{0}, [&]() -> UINT {
        if (!lpPathName || !lpTempFileName) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        std::string base(lpPathName);
        // The separator added is the kind the path already uses last ('/' when it has none).
        if (!base.empty() && !isSeparator(base.back())) {
            size_t last = base.find_last_of("/\\");
            base += last == std::string::npos ? '/' : base[last];
        }
        std::string prefix;
        for (int i = 0; lpPrefixString && i < 3 && lpPrefixString[i]; ++i) prefix += lpPrefixString[i];
        // The caller's buffer holds MAX_PATH characters; four hex digits is the longest number.
        if (base.size() + prefix.size() + 4 + 4 >= MAX_PATH) {
            SetLastError(ERROR_BUFFER_OVERFLOW);
            return 0;
        }
        auto nameFor = [&](unsigned number) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%X", number & 0xFFFFu);
            return base + prefix + hex + ".TMP";
        };
        if (uUnique != 0) {
            copyBounded(lpTempFileName, MAX_PATH, nameFor(uUnique));
            return uUnique;
        }
        unsigned start = (GetTickCount() ^ static_cast<unsigned>(getpid())) & 0xFFFFu;
        if (start == 0) start = 1;
        unsigned number = start;
        do {
            std::string name = nameFor(number);
            HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                CloseHandle(file);
                copyBounded(lpTempFileName, MAX_PATH, name);
                SetLastError(ERROR_SUCCESS);
                return number;
            }
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS) return 0;
            number = (number + 1) & 0xFFFFu;
            if (number == 0) number = 1;
        } while (number != start);
        SetLastError(ERROR_FILE_EXISTS);
        return 0;
    });
}
