// The INI file model (internal): what a file's bytes say, line by line, so that reads can find
// sections and keys and writes can change single lines and keep every other byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winplat::detail {

struct IniLine {
    std::string text;  // the line's bytes without its line break (may hold NUL bytes)
    std::string eol;   // "\r\n", "\n", "\r", or "" for a last line without one
};

struct IniEntry {
    std::string key;    // trimmed
    std::string value;  // trimmed, quotes kept
    bool hasValue;      // the line has an '='
    size_t line;
};

struct IniSection {
    std::string name;  // trimmed
    size_t headerLine;
    size_t endLine;  // one past the last line before the next section header (or the end)
    std::vector<IniEntry> entries;
};

struct IniDocument {
    std::vector<IniLine> lines;
    std::vector<IniSection> sections;  // in file order; lines before the first header belong to none
    std::string eol = "\r\n";          // the file's first line break, for lines we add

    // The first section with this name (case ignored), or null.
    const IniSection* findSection(std::string_view name) const;
    // The first entry of `section` with this key (case ignored) and an '=', or null.
    static const IniEntry* findEntry(const IniSection& section, std::string_view key);
    // The bytes of the whole document.
    std::string serialize() const;
};

// Reads any bytes: lines end at "\r\n", "\n" or "\r"; a NUL byte ends a line's meaning (the
// bytes are kept for rewriting); a UTF-8 byte order mark is skipped; ';' starts a comment
// line; "[name]" (up to the last ']') starts a section; "key=value" splits at the first '='.
IniDocument parseIni(std::string_view bytes);

// The value parseIni and findEntry give for `key` in the first section named `section`
// (trimmed and quotes kept, as IniEntry::value), read straight from the bytes without building
// the document; nullopt when there is none.
std::optional<std::string_view> findIniValue(std::string_view bytes, std::string_view section,
                                             std::string_view key);

// Without leading and trailing spaces and tabs.
std::string_view iniTrim(std::string_view text);

// A value as GetPrivateProfileStringA returns it: one pair of matching surrounding quotes
// (double or single) removed.
std::string_view iniUnquote(std::string_view value);

}  // namespace winplat::detail
