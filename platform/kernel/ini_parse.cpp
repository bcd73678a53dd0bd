// Parsing INI files into lines, sections and entries.
#include "ini_parse.h"

#include "ascii_case.h"

namespace winplat::detail {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Where the line starting at `pos` ends: its first '\r' or '\n', or npos. (One pass over the
// bytes; find_first_of would look each byte up in the set.)
size_t lineEnd(std::string_view bytes, size_t pos) {
    for (size_t i = pos; i < bytes.size(); ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n') return i;
    return std::string_view::npos;
}
}  // namespace

std::string_view iniTrim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view iniUnquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

const IniSection* IniDocument::findSection(std::string_view name) const {
    name = iniTrim(name);
    for (const IniSection& s : sections)
        if (equalsIgnoringCase(s.name, name)) return &s;
    return nullptr;
}

const IniEntry* IniDocument::findEntry(const IniSection& section, std::string_view key) {
    key = iniTrim(key);
    for (const IniEntry& e : section.entries)
        if (e.hasValue && equalsIgnoringCase(e.key, key)) return &e;
    return nullptr;
}

std::string IniDocument::serialize() const {
    std::string out;
    for (const IniLine& line : lines) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

IniDocument parseIni(std::string_view bytes) {
    IniDocument doc;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        // Kept as its own "line" without a break so rewriting gives the same bytes back.
        doc.lines.push_back({std::string(bytes.substr(0, 3)), ""});
        bytes.remove_prefix(3);
    }
    bool eolSeen = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = lineEnd(bytes, pos);
        IniLine line;
        if (end == std::string_view::npos) {
            line.text = std::string(bytes.substr(pos));
            pos = bytes.size();
        } else {
            line.text = std::string(bytes.substr(pos, end - pos));
            size_t eolLength = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
            line.eol = std::string(bytes.substr(end, eolLength));
            pos = end + eolLength;
            if (!eolSeen) {
                doc.eol = line.eol;
                eolSeen = true;
            }
        }
        doc.lines.push_back(std::move(line));
    }

    for (size_t i = 0; i < doc.lines.size(); ++i) {
        std::string_view text(doc.lines[i].text);
        text = text.substr(0, text.find('\0'));
        text = iniTrim(text);
        if (text.empty() || text.front() == ';') continue;
        if (text.front() == '[') {
            size_t close = text.rfind(']');
            if (close != std::string_view::npos) {
                if (!doc.sections.empty()) doc.sections.back().endLine = i;
                doc.sections.push_back({std::string(iniTrim(text.substr(1, close - 1))), i,
                                        doc.lines.size(), {}});
                continue;
            }
        }
        if (doc.sections.empty()) continue;  // before any section: never found
        size_t equals = text.find('=');
        IniEntry entry;
        entry.line = i;
        entry.hasValue = equals != std::string_view::npos;
        if (entry.hasValue) {
            entry.key = std::string(iniTrim(text.substr(0, equals)));
            entry.value = std::string(iniTrim(text.substr(equals + 1)));
        } else {
            entry.key = std::string(text);
        }
        doc.sections.back().entries.push_back(std::move(entry));
    }
    return doc;
}

}  // namespace winplat::detail
