// INI files: GetPrivateProfileStringA and its family, WritePrivateProfileStringA, WIN.INI.
#include <sys/stat.h>

#include <optional>
#include <string>
#include <vector>

#include "detail.h"
#include "ini_parse.h"
#include "paths.h"
#include "winplat_files.h"

namespace winplat::detail {
namespace {

// Native path of an INI file name: a bare name lives in the Windows directory, a null name is
// the machine's WIN.INI (in the system root); anything with a directory is taken as given.
std::string iniPath(LPCSTR fileName) {
    if (!fileName) return resolvePath(systemRoot() + "/WIN.INI");
    std::string_view name(fileName);
    if (lastComponentStart(name) == 0) return resolvePath(windowsDirectory() + "/" + std::string(name));
    return resolvePath(name);
}

// The bytes of a readable regular file; nothing when the file is missing, a directory,
// unreadable or larger than the suite reads whole (a file cut short would give wrong answers).
std::optional<std::string> readIni(LPCSTR fileName) {
    if (fileName && !*fileName) return std::nullopt;
    const std::string path = iniPath(fileName);
    std::string bytes;
    if (path.empty() || winplat::readWholeFile(path.c_str(), bytes) != ERROR_SUCCESS) return std::nullopt;
    return bytes;
}

// The document of readIni().
std::optional<IniDocument> loadIni(LPCSTR fileName) {
    std::optional<std::string> bytes = readIni(fileName);
    if (!bytes) return std::nullopt;
    return parseIni(*bytes);
}

// Writes a list of strings, each with its terminator, and a final terminator. When the list
// does not fit with one byte to spare, as much as fits in size - 2 bytes is written followed by
// two terminators, and size - 2 is returned.
DWORD writeList(const std::vector<std::string>& items, char* out, DWORD size) {
    if (!out || size == 0) return 0;
    std::string all;
    for (const std::string& item : items) {
        all += item;
        all += '\0';
    }
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    if (all.size() + 2 <= size || all.empty()) {
        all.copy(out, all.size());
        out[all.size()] = '\0';
        if (all.empty()) out[1] = '\0';
        return static_cast<DWORD>(all.size());
    }
    all.copy(out, size - 2);
    out[size - 2] = '\0';
    out[size - 1] = '\0';
    return size - 2;
}

DWORD copyDefault(LPCSTR defaultValue, char* out, DWORD size) {
    std::string_view text = defaultValue ? defaultValue : "";
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return static_cast<DWORD>(copyBounded(out, size, std::string(text)));
}

std::vector<std::string> sectionNames(const IniDocument& doc) {
    std::vector<std::string> names;
    for (const IniSection& s : doc.sections)
        if (!s.name.empty()) names.push_back(s.name);
    return names;
}

// Keys with an '=' (a line without one is no key).
std::vector<std::string> keyNames(const IniSection& section) {
    std::vector<std::string> keys;
    for (const IniEntry& e : section.entries)
        if (e.hasValue && !e.key.empty()) keys.push_back(e.key);
    return keys;
}

// Every line of a section as "key=value" (or the bare text of a line without '=').
std::vector<std::string> sectionLines(const IniSection& section) {
    std::vector<std::string> lines;
    for (const IniEntry& e : section.entries)
        lines.push_back(e.hasValue ? e.key + "=" + e.value : e.key);
    return lines;
}

// Parses a decimal number the way the profile functions do: an optional sign and digits,
// stopping at the first other character, wrapping modulo 2^32.
UINT parseProfileInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    return negative ? 0u - value : value;
}

// Gives the line before `index` a line break if it lacks one, so a line can follow it.
void terminatePrevious(IniDocument& doc, size_t index) {
    if (index == 0 || index > doc.lines.size()) return;
    IniLine& previous = doc.lines[index - 1];
    bool bomOnly = index == 1 && previous.text == "\xEF\xBB\xBF";
    if (previous.eol.empty() && !bomOnly) previous.eol = doc.eol;
}

void insertLine(IniDocument& doc, size_t index, std::string text) {
    terminatePrevious(doc, index);
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(index), IniLine{std::move(text), doc.eol});
}

// Applies one WritePrivateProfileStringA request to the document; false when nothing changed.
bool applyWrite(IniDocument& doc, std::string_view section, LPCSTR key, LPCSTR value) {
    const IniSection* found = doc.findSection(section);
    if (!key) {  // delete the section: its header and every line up to the next header
        if (!found) return false;
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(found->headerLine),
                        doc.lines.begin() + static_cast<std::ptrdiff_t>(found->endLine));
        return true;
    }
    const IniEntry* entry = found ? IniDocument::findEntry(*found, key) : nullptr;
    if (!value) {  // delete the key
        if (!entry) return false;
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(entry->line));
        return true;
    }
    if (entry) {
        std::string text = entry->key + "=" + value;
        if (doc.lines[entry->line].text == text) return false;
        doc.lines[entry->line].text = std::move(text);
        return true;
    }
    std::string line = std::string(iniTrim(key)) + "=" + value;
    if (found) {
        size_t after = found->entries.empty() ? found->headerLine : found->entries.back().line;
        insertLine(doc, after + 1, std::move(line));
    } else {
        // Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on "[" + std::string + "]".
        std::string header(1, '[');
        header += iniTrim(section);
        header += ']';
        insertLine(doc, doc.lines.size(), std::move(header));
        insertLine(doc, doc.lines.size(), std::move(line));
    }
    return true;
}

}  // namespace
}  // namespace winplat::detail

using namespace winplat::detail;

WINPLAT_API DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                           LPSTR lpReturnedString, DWORD nSize,
                                           LPCSTR lpFileName) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        if (!lpReturnedString || nSize == 0) return 0;
        if (lpAppName && lpKeyName) {
            // One value: read straight from the bytes.
            const std::optional<std::string> bytes = readIni(lpFileName);
            const auto value = bytes && *lpKeyName ? findIniValue(*bytes, lpAppName, lpKeyName) : std::nullopt;
            if (!value) return copyDefault(lpDefault, lpReturnedString, nSize);
            return static_cast<DWORD>(copyBounded(lpReturnedString, nSize, std::string(iniUnquote(*value))));
        }
        auto doc = loadIni(lpFileName);
        if (!doc) return copyDefault(lpDefault, lpReturnedString, nSize);
        if (!lpAppName) return writeList(sectionNames(*doc), lpReturnedString, nSize);
        const IniSection* section = doc->findSection(lpAppName);
        std::vector<std::string> keys;
        if (section) keys = keyNames(*section);
        if (keys.empty()) return copyDefault(lpDefault, lpReturnedString, nSize);
        return writeList(keys, lpReturnedString, nSize);
    });
}

WINPLAT_API UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault,
                                       LPCSTR lpFileName) {
    return winplat::detail::guardedCall(UINT{0}, [&]() -> UINT {
        if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
        const std::optional<std::string> bytes = readIni(lpFileName);
        const auto value = bytes && *lpKeyName ? findIniValue(*bytes, lpAppName, lpKeyName) : std::nullopt;
        std::string_view text = value ? iniUnquote(*value) : std::string_view();
        if (text.empty()) return static_cast<UINT>(nDefault);
        return parseProfileInt(text);
    });
}

WINPLAT_API DWORD GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                                 LPCSTR lpFileName) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        if (!lpszReturnBuffer || nSize == 0) return 0;
        auto doc = loadIni(lpFileName);
        if (!doc) {
            lpszReturnBuffer[0] = '\0';
            return 0;
        }
        return writeList(sectionNames(*doc), lpszReturnBuffer, nSize);
    });
}

WINPLAT_API DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString,
                                            DWORD nSize, LPCSTR lpFileName) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        if (!lpAppName || !lpReturnedString || nSize == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        auto doc = loadIni(lpFileName);
        const IniSection* section = doc ? doc->findSection(lpAppName) : nullptr;
        DWORD result = writeList(section ? sectionLines(*section) : std::vector<std::string>(),
                                 lpReturnedString, nSize);
        SetLastError(doc ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
        return result;
    });
}

WINPLAT_API BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                            LPCSTR lpFileName) {
    return winplat::detail::guardedCall(FALSE, [&]() -> BOOL {
        if (!lpAppName && !lpKeyName && !lpString) return TRUE;  // "flush": nothing is cached
        if (!lpAppName) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        if (lpFileName && !*lpFileName) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        std::string path = iniPath(lpFileName);
        struct stat st {};
        bool exists = stat(path.c_str(), &st) == 0;
        if (exists && (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        IniDocument doc;
        if (exists) {
            // A file this reader cannot take whole is refused, never rewritten from a part.
            std::string bytes;
            if (DWORD rc = winplat::readWholeFile(path.c_str(), bytes)) {
                SetLastError(rc);
                return FALSE;
            }
            doc = parseIni(bytes);
        } else if (!lpKeyName || !lpString) {
            return TRUE;  // deleting from a file that is not there: nothing to do
        }
        if (!applyWrite(doc, lpAppName, lpKeyName, lpString)) return TRUE;
        if (DWORD rc = winplat::replaceFile(path.c_str(), doc.serialize())) {
            SetLastError(rc);
            return FALSE;
        }
        return TRUE;
    });
}

WINPLAT_API DWORD GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                    LPSTR lpReturnedString, DWORD nSize) {
    return winplat::detail::guardedCall(DWORD{0}, [&]() -> DWORD {
        return GetPrivateProfileStringA(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize,
                                        nullptr);
    });
}

WINPLAT_API UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault) {
    return winplat::detail::guardedCall(UINT{0}, [&]() -> UINT {
        return GetPrivateProfileIntA(lpAppName, lpKeyName, nDefault, nullptr);
    });
}
