// The calling thread's last error and the English texts of the system's error codes.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "detail.h"
#include "win32.h"

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

struct SystemMessage {
    DWORD code;
    const char* text;  // as the system's message table holds it, line break included
};

// Sorted by code.
constexpr SystemMessage kMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough memory resources are available to process this command.\r\n"},
    {11, "An attempt was made to load a program with an incorrect format.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough storage is available to complete this operation.\r\n"},
    {18, "There are no more files.\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {80, "The file exists.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {111, "The file name is too long.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {131, "An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {223, "The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {998, "Invalid access to memory location.\r\n"},
    {1009, "The configuration registry database is corrupt.\r\n"},
    {1010, "The configuration registry key is invalid.\r\n"},
    {1011, "The configuration registry key could not be opened.\r\n"},
    {1012, "The configuration registry key could not be read.\r\n"},
    {1013, "The configuration registry key could not be written.\r\n"},
    {1015,
     "The registry is corrupted. The structure of one of the files containing registry data is "
     "corrupted, or the system's memory image of the file is corrupted, or the file could not "
     "be recovered because the alternate copy or log was absent or corrupted.\r\n"},
    {1016,
     "An I/O operation initiated by the registry failed unrecoverably. The registry could not "
     "read in, or write out, or flush, one of the files that contain the system's image of the "
     "registry.\r\n"},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1114, "A dynamic link library (DLL) initialization routine failed.\r\n"},
    {1155, "No application is associated with the specified file for this operation.\r\n"},
    {1400, "Invalid window handle.\r\n"},
    {1407, "Cannot find window class.\r\n"},
    {1410, "Class already exists.\r\n"},
    {1411, "Class does not exist.\r\n"},
    {1412, "Class still has open windows.\r\n"},
    {1413, "Invalid index.\r\n"},
};

const char* findMessage(DWORD code) {
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const SystemMessage& m, DWORD c) { return m.code < c; });
    return it != std::end(kMessages) && it->code == code ? it->text : nullptr;
}

// Applies the line-width part of the flags. 0 keeps the text as it is. FORMAT_MESSAGE_MAX_WIDTH_MASK
// turns the text's line breaks into spaces. Any other width wraps words into lines of at most
// that many characters (a longer word gets a line of its own), each line ending in "\r\n".
std::string applyWidth(std::string_view text, DWORD width) {
    if (width == 0) return std::string(text);
    std::string flat;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            flat += ' ';
            ++i;
        } else {
            flat += text[i];
        }
    }
    if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK) return flat;
    std::string out, line;
    size_t i = 0;
    while (i < flat.size()) {
        size_t end = flat.find(' ', i);
        if (end == std::string::npos) end = flat.size();
        std::string_view word(flat.data() + i, end - i);
        if (!word.empty()) {
            if (!line.empty() && line.size() + 1 + word.size() > width) {
                out += line + "\r\n";
                line.clear();
            }
            if (!line.empty()) line += ' ';
            line += word;
        }
        i = end + 1;
    }
    if (!line.empty()) out += line + "\r\n";
    return out;
}

}  // namespace

WINPLAT_API DWORD GetLastError(void) { return lastError; }

WINPLAT_API void SetLastError(DWORD code) { lastError = code; }

WINPLAT_API DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId,
                                 DWORD /*dwLanguageId*/, LPSTR lpBuffer, DWORD nSize,
                                 void* /*Arguments*/) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        (void)lpSource;  // only meaningful for FROM_STRING and FROM_HMODULE, which are refused
        constexpr DWORD kUnsupported =
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE;
        if ((dwFlags & kUnsupported) || !(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || !lpBuffer) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        // Every text in the table is free of inserts, so FORMAT_MESSAGE_IGNORE_INSERTS and the
        // argument list change nothing.
        const char* message = findMessage(dwMessageId);
        if (!message) {
            SetLastError(ERROR_MR_MID_NOT_FOUND);
            return 0;
        }
        std::string text = applyWidth(message, dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK);
        if (text.size() >= nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        return static_cast<DWORD>(winplat::detail::copyBounded(lpBuffer, nSize, text));
    });
}
