// Feeds arbitrary bytes to the INI parser and checks what every reader and writer of INI files
// relies on: the document gives back exactly the bytes it was read from, lines hold no line
// breaks, sections tile the lines after their headers in order, entries lie inside their
// section with trimmed names, the look-ups find the first section and entry of a name, and the
// direct look-up of one value answers as the document does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ascii_case.h"
#include "ini_parse.h"

using namespace winplat::detail;

namespace {
bool isTrimmed(std::string_view s) {
    return s.empty() || (s.front() != ' ' && s.front() != '\t' && s.back() != ' ' && s.back() != '\t');
}
void check(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniDocument doc = parseIni(bytes);

    check(doc.serialize() == bytes);
    check(doc.eol == "\r\n" || doc.eol == "\n" || doc.eol == "\r");
    for (size_t i = 0; i < doc.lines.size(); ++i) {
        const IniLine& line = doc.lines[i];
        check(line.text.find_first_of("\r\n") == std::string::npos);
        check(line.eol.empty() || line.eol == "\r\n" || line.eol == "\n" || line.eol == "\r");
        // Only the last line may lack a break (and a byte order mark, kept as line 0).
        if (line.eol.empty()) check(i + 1 == doc.lines.size() || (i == 0 && line.text == "\xEF\xBB\xBF"));
    }

    size_t previousEnd = 0;
    for (size_t s = 0; s < doc.sections.size(); ++s) {
        const IniSection& section = doc.sections[s];
        check(section.headerLine < section.endLine && section.endLine <= doc.lines.size());
        check(section.headerLine >= previousEnd);
        if (s > 0) check(doc.sections[s - 1].endLine == section.headerLine);
        if (s + 1 == doc.sections.size()) check(section.endLine == doc.lines.size());
        previousEnd = section.endLine;
        check(isTrimmed(section.name));
        check(section.name.find('\0') == std::string::npos);

        const IniSection* found = doc.findSection(section.name);
        check(found != nullptr && found <= &section && winplat::equalsIgnoringCase(found->name, section.name));

        size_t previousLine = section.headerLine;
        for (const IniEntry& entry : section.entries) {
            check(entry.line > previousLine && entry.line < section.endLine);
            previousLine = entry.line;
            check(isTrimmed(entry.key) && isTrimmed(entry.value));
            check(!entry.key.empty() || entry.hasValue);
            check(entry.key.find('\0') == std::string::npos && entry.value.find('\0') == std::string::npos);
            if (!entry.hasValue) {
                check(entry.value.empty());
                continue;
            }
            const IniEntry* e = IniDocument::findEntry(section, entry.key);
            check(e != nullptr && e->hasValue && e->line <= entry.line);
            const IniEntry* first = IniDocument::findEntry(*found, entry.key);
            const auto direct = findIniValue(bytes, section.name, entry.key);
            check(first ? direct && *direct == first->value : !direct);
            const std::string_view unquoted = iniUnquote(entry.value);
            check(unquoted.size() == entry.value.size() || unquoted.size() + 2 == entry.value.size());
        }
    }
    return 0;
}
