// The .res layout read from bytes made here: record walking with every kind of damage, the
// keys FindResourceA builds from its arguments, name matching and the Windows-1252 mapping.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "codepage.h"
#include "resource_format.h"

namespace {

using namespace winplat::detail;
using Bytes = std::vector<BYTE>;
using Name = std::variant<WORD, std::u16string>;

void appendWord(Bytes& out, WORD w) {
    out.push_back(static_cast<BYTE>(w));
    out.push_back(static_cast<BYTE>(w >> 8));
}
void appendDword(Bytes& out, DWORD d) {
    appendWord(out, static_cast<WORD>(d));
    appendWord(out, static_cast<WORD>(d >> 16));
}
void appendName(Bytes& out, const Name& name) {
    if (const WORD* number = std::get_if<WORD>(&name)) {
        appendWord(out, 0xFFFF);
        appendWord(out, *number);
        return;
    }
    for (char16_t unit : std::get<std::u16string>(name)) appendWord(out, unit);
    appendWord(out, 0);
}
void padToDword(Bytes& out) {
    while (out.size() % 4) out.push_back(0);
}

// One record as windres writes it: header, data, padding to the next DWORD (unless `pad` is
// false, as the last record of a file may be).
Bytes record(const Name& type, const Name& name, WORD language, const Bytes& data,
             bool pad = true) {
    Bytes header;
    appendName(header, type);
    appendName(header, name);
    while ((header.size() + 8) % 4) header.push_back(0);
    appendDword(header, 0);       // DataVersion
    appendWord(header, 0x1030);   // MemoryFlags
    appendWord(header, language);
    appendDword(header, 0);       // Version
    appendDword(header, 0);       // Characteristics
    Bytes out;
    appendDword(out, static_cast<DWORD>(data.size()));
    appendDword(out, static_cast<DWORD>(header.size() + 8));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), data.begin(), data.end());
    if (pad) padToDword(out);
    return out;
}

Bytes marker() { return record(WORD{0}, WORD{0}, 0, {}); }

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::string describeName(const ResourceName& name) {
    if (name.number) return "#" + std::to_string(*name.number);
    std::string text;
    for (size_t i = 0; i + 1 < name.text.size(); i += 2) text += static_cast<char>(name.text[i]);
    return text;
}

// "type/name/language/data" of every record the walk yields.
std::vector<std::string> walk(const Bytes& image) {
    std::vector<std::string> seen;
    ResourceRecords records(image);
    while (auto r = records.next()) {
        char language[8];
        std::snprintf(language, sizeof language, "%04x", r->language);
        seen.push_back(describeName(r->type) + "/" + describeName(r->name) + "/" + language +
                       "/" + std::string(r->data.begin(), r->data.end()));
    }
    return seen;
}

TEST(ResourceRecords, TheWalkYieldsWhatFitsAndStopsAtDamage) {
    const Bytes rcdata = record(WORD{10}, WORD{226}, 0x409, {'a', 'b', 'c'});
    const Bytes named = record(u"PALETTE", u"IDR_PALETTE", 0x407, {'x'});
    const Bytes unpadded = record(WORD{2}, WORD{1}, 0x409, {'b', 'm', 'p'}, false);
    const std::string first = "#10/#226/0409/abc";

    Bytes headerPastEnd = rcdata;
    headerPastEnd[4] = 0xF0;  // HeaderSize 240 of 36 bytes
    Bytes dataPastEnd = rcdata;
    dataPastEnd[0] = 0x40;  // DataSize 64
    Bytes unterminated = record(u"ABCDEFGH", WORD{1}, 0, {});
    unterminated[4] = 16;  // the header ends inside the type's text
    Bytes noFixedPart = rcdata;
    noFixedPart[4] = 20;  // type and name fit, the 16 fixed bytes do not
    Bytes zeroHeader = rcdata;
    zeroHeader[0] = zeroHeader[4] = 0;  // would stand still for ever

    struct Case {
        const char* name;
        Bytes image;
        std::vector<std::string> records;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"marker only", marker(), {}},
        {"numbers", join({marker(), rcdata}), {first}},
        {"texts", join({marker(), rcdata, named}), {first, "PALETTE/IDR_PALETTE/0407/x"}},
        {"last record without padding", join({marker(), rcdata, unpadded}),
         {first, "#2/#1/0409/bmp"}},
        {"header past the end", join({marker(), rcdata, headerPastEnd}), {first}},
        {"data past the end", join({marker(), rcdata, dataPastEnd}), {first}},
        {"name past the header", join({marker(), rcdata, unterminated}), {first}},
        {"no room for the fixed part", join({marker(), rcdata, noFixedPart, rcdata}), {first}},
        {"header size zero", join({marker(), rcdata, zeroHeader, rcdata}), {first}},
        {"a few bytes left over", join({marker(), rcdata, Bytes{1, 2, 3, 4, 5}}), {first}},
        {"no marker", join({rcdata}), {first}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(walk(c.image), c.records);
    }
}

TEST(ResourceRecords, RecordAtFindsOnlyRecordStarts) {
    const Bytes first = record(WORD{10}, WORD{1}, 0x409, {'1'});
    const Bytes image = join({marker(), first, record(WORD{10}, WORD{2}, 0x409, {'2'})});
    const size_t second = marker().size() + first.size();
    auto found = recordAt(image, second);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name.number, WORD{2});
    EXPECT_FALSE(recordAt(image, second + 4));
    EXPECT_FALSE(recordAt(image, 0)) << "the marker is no resource";
    EXPECT_FALSE(recordAt(image, image.size() + 8));
}

TEST(ResourceRecords, FindRecordTellsWhichPartIsMissing) {
    const Bytes image =
        join({marker(), record(WORD{10}, WORD{226}, 0x409, {'n'}),
              record(WORD{10}, u"SAMPLE", 0x407, {'d'}), record(WORD{10}, u"SAMPLE", 0x409, {'e'}),
              record(u"AVI", WORD{910}, 0x409, {'a'})});
    struct Case {
        const char* name;
        Bytes image;
        LPCSTR type;
        LPCSTR resource;
        std::optional<WORD> language;
        char data;  // 0: not found
        DWORD error;
    };
    const Case cases[] = {
        {"number", image, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(226), {}, 'n', ERROR_SUCCESS},
        {"text, first language", image, MAKEINTRESOURCEA(10), "Sample", {}, 'd', ERROR_SUCCESS},
        {"text, English", image, MAKEINTRESOURCEA(10), "sample", 0x409, 'e', ERROR_SUCCESS},
        {"text type", image, "avi", MAKEINTRESOURCEA(910), {}, 'a', ERROR_SUCCESS},
        {"no such language", image, MAKEINTRESOURCEA(10), "SAMPLE", 0x40c, 0,
         ERROR_RESOURCE_LANG_NOT_FOUND},
        {"no such name", image, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(227), {}, 0,
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"text name where numbers are", image, "AVI", "910", {}, 0,
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"no such type", image, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(226), {}, 0,
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"no resources", marker(), MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(226), {}, 0,
         ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResourceSearch search = findRecord(c.image, *resourceKey(c.type),
                                           *resourceKey(c.resource), c.language);
        EXPECT_EQ(search.error, c.error);
        if (!c.data) {
            EXPECT_FALSE(search.record);
            continue;
        }
        ASSERT_TRUE(search.record);
        ASSERT_EQ(search.record->data.size(), 1u);
        EXPECT_EQ(search.record->data[0], c.data);
    }
}

TEST(StringTables, StringsAreCountedUnitsInOrder) {
    Bytes table;
    appendWord(table, 2);
    appendWord(table, u'h');
    appendWord(table, u'i');
    appendWord(table, 0);  // string 1 is missing
    appendWord(table, 1);
    appendWord(table, 0x2122);
    struct Case {
        const char* name;
        Bytes table;
        UINT index;
        std::optional<std::u16string> text;  // none: the table ends before it
    };
    const Case cases[] = {
        {"first", table, 0, u"hi"},
        {"empty", table, 1, u""},
        {"third", table, 2, u"\u2122"},
        {"past the end", table, 3, std::nullopt},
        {"count beyond the bytes", Bytes{5, 0, 'a', 0}, 0, std::nullopt},
        {"half a count", Bytes{1}, 0, std::nullopt},
        {"no bytes", Bytes{}, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto text = stringInTable(c.table, c.index);
        ASSERT_EQ(text.has_value(), c.text.has_value());
        if (!text) continue;
        std::u16string units;
        for (size_t i = 0; i < text->size(); i += 2) units += static_cast<char16_t>(readWord(*text, i));
        EXPECT_EQ(units, *c.text);
    }
}

TEST(ResourceNames, KeysComeFromNumbersHashNumbersAndText) {
    struct Case {
        const char* name;
        LPCSTR argument;
        std::optional<ResourceKey> key;
    };
    const Case cases[] = {
        {"MAKEINTRESOURCE", MAKEINTRESOURCEA(5), ResourceKey{5, {}}},
        {"#number", "#123", ResourceKey{123, {}}},
        {"# alone", "#", ResourceKey{0, {}}},
        {"#digits then text", "#12a", ResourceKey{12, {}}},
        {"largest #number", "#65535", ResourceKey{65535, {}}},
        {"#number too large", "#65536", std::nullopt},
        {"#number far too large", "#99999999999999999999999", std::nullopt},
        {"text in capitals", "Palette", ResourceKey{{}, u"PALETTE"}},
        {"digits without #", "123", ResourceKey{{}, u"123"}},
        {"Latin-1 letters", "\xe9t\xe9", ResourceKey{{}, u"\u00c9T\u00c9"}},
        {"Windows-1252 letters", "\x9a\x9c\x9e\xff", ResourceKey{{}, u"\u0160\u0152\u017d\u0178"}},
        {"no case for signs", "\xf7\xd7", ResourceKey{{}, u"\u00f7\u00d7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto key = resourceKey(c.argument);
        ASSERT_EQ(key.has_value(), c.key.has_value());
        if (!key) continue;
        EXPECT_EQ(key->number, c.key->number);
        EXPECT_EQ(key->text, c.key->text);
    }
}

TEST(ResourceNames, StoredNamesMatchIgnoringCase) {
    auto stored = [](const std::u16string& text) {
        static std::deque<Bytes> keep;  // the names point into these bytes
        Bytes bytes;
        for (char16_t unit : text) appendWord(bytes, unit);
        keep.push_back(bytes);
        return ResourceName{std::nullopt, keep.back()};
    };
    struct Case {
        const char* name;
        ResourceName stored;
        LPCSTR asked;
        bool matches;
    };
    const Case cases[] = {
        {"same text", stored(u"SAMPLE"), "SAMPLE", true},
        {"other case", stored(u"Sample"), "sAMPLE", true},
        {"accented, other case", stored(u"\u00e9t\u00e9"), "\xc9T\xc9", true},
        {"longer stored", stored(u"SAMPLES"), "SAMPLE", false},
        {"shorter stored", stored(u"SAMPL"), "SAMPLE", false},
        {"number stored, text asked", ResourceName{5, {}}, "5", false},
        {"text stored, number asked", stored(u"5"), MAKEINTRESOURCEA(5), false},
        {"numbers", ResourceName{5, {}}, "#5", true},
        {"other numbers", ResourceName{5, {}}, MAKEINTRESOURCEA(6), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(matches(c.stored, *resourceKey(c.asked)), c.matches);
    }
}

TEST(ResourceNames, EveryWindows1252ByteMakesTheRoundTrip) {
    for (int byte = 0; byte < 256; ++byte) {
        SCOPED_TRACE(byte);
        EXPECT_EQ(static_cast<unsigned char>(toWindows1252(fromWindows1252(byte))), byte);
    }
    EXPECT_EQ(fromWindows1252(0x80), u'\u20ac');
    EXPECT_EQ(fromWindows1252(0x99), u'\u2122');
    EXPECT_EQ(fromWindows1252(0x81), u'\u0081');
    EXPECT_EQ(toWindows1252(u'\u0100'), '?');
    EXPECT_EQ(toWindows1252(u'\u2122'), '\x99');
    EXPECT_EQ(toWindows1252(char16_t{0xD83D}), '?');  // half a surrogate pair
}

}  // namespace
