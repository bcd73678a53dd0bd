// Parsing INI files into lines, sections and entries.
#include "ini_parse.h"

#include "ascii_case.h"

namespace winplat::detail {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Where the line starting at `pos` ends: its first '\r' or '\n', or npos. (One pass over the
// bytes; find_first_of would look each byte up in the set.)
size_t lineEnd(std::string_view bytes, size_t pos) {
    for (size_t i = pos; i < bytes.size(); ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n') return i;
    return std::string_view::npos;
}

// Calls visit(text, eol) for each line of `bytes`, in order, until it returns false.
template <typename Visit>
void forEachLine(std::string_view bytes, Visit&& visit) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = lineEnd(bytes, pos);
        if (end == std::string_view::npos) {
            visit(bytes.substr(pos), std::string_view());
            return;
        }
        const size_t eolLength = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        if (!visit(bytes.substr(pos, end - pos), bytes.substr(end, eolLength))) return;
        pos = end + eolLength;
    }
}

// What one line says.
struct LineMeaning {
    enum class Kind { Nothing, Section, Entry } kind = Kind::Nothing;
    std::string_view name;   // the section's name, or the entry's key (trimmed)
    std::string_view value;  // the entry's value (trimmed)
    bool hasValue = false;   // the entry has an '='
};

// Blank and comment lines say nothing; an entry is only an entry inside a section, which the
// caller knows.
LineMeaning meaningOf(std::string_view text) {
    text = iniTrim(text.substr(0, text.find('\0')));
    LineMeaning m;
    if (text.empty() || text.front() == ';') return m;
    if (text.front() == '[') {
        const size_t close = text.rfind(']');
        if (close != std::string_view::npos) {
            m.kind = LineMeaning::Kind::Section;
            m.name = iniTrim(text.substr(1, close - 1));
            return m;
        }
    }
    m.kind = LineMeaning::Kind::Entry;
    const size_t equals = text.find('=');
    m.hasValue = equals != std::string_view::npos;
    m.name = m.hasValue ? iniTrim(text.substr(0, equals)) : text;
    if (m.hasValue) m.value = iniTrim(text.substr(equals + 1));
    return m;
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
    if (bytes.starts_with(kByteOrderMark)) {
        // Kept as its own "line" without a break so rewriting gives the same bytes back.
        doc.lines.push_back({std::string(kByteOrderMark), ""});
        bytes.remove_prefix(kByteOrderMark.size());
    }
    bool eolSeen = false;
    forEachLine(bytes, [&](std::string_view text, std::string_view eol) {
        if (!eol.empty() && !eolSeen) {
            doc.eol = std::string(eol);
            eolSeen = true;
        }
        const size_t i = doc.lines.size();
        doc.lines.push_back({std::string(text), std::string(eol)});
        const LineMeaning m = meaningOf(text);
        if (m.kind == LineMeaning::Kind::Section) {
            if (!doc.sections.empty()) doc.sections.back().endLine = i;
            doc.sections.push_back({std::string(m.name), i, 0, {}});
        } else if (m.kind == LineMeaning::Kind::Entry && !doc.sections.empty()) {
            // Lines before any section are never found.
            doc.sections.back().entries.push_back(
                {std::string(m.name), std::string(m.value), m.hasValue, i});
        }
        return true;
    });
    if (!doc.sections.empty()) doc.sections.back().endLine = doc.lines.size();
    return doc;
}

std::optional<std::string_view> findIniValue(std::string_view bytes, std::string_view section,
                                             std::string_view key) {
    section = iniTrim(section);
    key = iniTrim(key);
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    enum class State { Before, Inside, After } state = State::Before;
    std::optional<std::string_view> found;
    forEachLine(bytes, [&](std::string_view text, std::string_view) {
        const LineMeaning m = meaningOf(text);
        if (m.kind == LineMeaning::Kind::Section) {
            // Only the first section of the name is searched.
            if (state == State::Inside) state = State::After;
            if (state == State::Before && equalsIgnoringCase(m.name, section)) state = State::Inside;
        } else if (state == State::Inside && m.kind == LineMeaning::Kind::Entry && m.hasValue &&
                   equalsIgnoringCase(m.name, key)) {
            found = m.value;
        }
        return state != State::After && !found;
    });
    return found;
}

}  // namespace winplat::detail
