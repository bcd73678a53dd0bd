// Reading the .res layout. Every size and offset comes from the image and is checked against
// its end before it is used, so any bytes give records or an early end, never a read outside.
#include "resource_format.h"

#include "codepage.h"

namespace winplat::detail {
namespace {

constexpr size_t kSizesBytes = 8;       // DataSize, HeaderSize
constexpr size_t kFixedTailBytes = 16;  // DataVersion, MemoryFlags, LanguageId, Version,
                                        // Characteristics
constexpr size_t kLanguageInTail = 6;
constexpr WORD kNumberMarker = 0xFFFF;

constexpr size_t alignToDword(size_t n) { return (n + 3) & ~size_t{3}; }

// Reads a type or name at `at` that must end by `end`; moves `at` past it.
std::optional<ResourceName> readName(std::span<const BYTE> bytes, size_t& at, size_t end) {
    if (end - at < 2) return std::nullopt;
    if (readWord(bytes, at) == kNumberMarker) {
        if (end - at < 4) return std::nullopt;
        ResourceName name{readWord(bytes, at + 2), {}};
        at += 4;
        return name;
    }
    for (size_t p = at; end - p >= 2; p += 2) {
        if (readWord(bytes, p) == 0) {
            ResourceName name{std::nullopt, bytes.subspan(at, p - at)};
            at = p + 2;
            return name;
        }
    }
    return std::nullopt;  // the text runs past the header
}

}  // namespace

std::optional<ResourceKey> resourceKey(LPCSTR typeOrName) {
    ResourceKey key;
    if (IS_INTRESOURCE(typeOrName)) {
        key.number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(typeOrName));
        return key;
    }
    if (typeOrName[0] == '#') {
        unsigned long value = 0;
        for (const char* p = typeOrName + 1; *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + static_cast<unsigned long>(*p - '0');
            if (value > 0xFFFF) return std::nullopt;
        }
        key.number = static_cast<WORD>(value);
        return key;
    }
    for (const char* p = typeOrName; *p; ++p)
        key.text.push_back(upperCaseUnit(fromWindows1252(static_cast<unsigned char>(*p))));
    return key;
}

bool matches(const ResourceName& stored, const ResourceKey& key) {
    if (stored.number || key.number) return stored.number == key.number;
    if (stored.text.size() != 2 * key.text.size()) return false;
    for (size_t i = 0; i < key.text.size(); ++i)
        if (upperCaseUnit(readWord(stored.text, 2 * i)) != key.text[i]) return false;
    return true;
}

std::optional<ResourceRecord> ResourceRecords::next() {
    while (offset_ < image_.size()) {
        const size_t start = offset_;
        const size_t left = image_.size() - start;
        if (left < kSizesBytes) break;
        const size_t dataSize = readDword(image_, start);
        const size_t headerSize = readDword(image_, start + 4);
        if (headerSize < kSizesBytes || headerSize > left || dataSize > left - headerSize) break;
        const size_t headerEnd = start + headerSize;
        size_t at = start + kSizesBytes;
        auto type = readName(image_, at, headerEnd);
        auto name = type ? readName(image_, at, headerEnd) : std::nullopt;
        if (!name) break;
        at = start + alignToDword(at - start);
        if (at > headerEnd || headerEnd - at < kFixedTailBytes) break;
        ResourceRecord record{*type, *name, readWord(image_, at + kLanguageInTail), start,
                              image_.subspan(headerEnd, dataSize)};
        // The next record starts at the DWORD boundary after the data; the last one may end
        // the image without its padding.
        offset_ = start + alignToDword(headerSize + dataSize);
        if (record.type.number == 0) continue;  // the file's marker
        return record;
    }
    offset_ = image_.size();
    return std::nullopt;
}

std::optional<ResourceRecord> recordAt(std::span<const BYTE> image, size_t offset) {
    ResourceRecords records(image);
    while (auto record = records.next()) {
        if (record->offset == offset) return record;
        if (record->offset > offset) break;
    }
    return std::nullopt;
}

ResourceSearch findRecord(std::span<const BYTE> image, const ResourceKey& type,
                          const ResourceKey& name, std::optional<WORD> language) {
    bool any = false, typeSeen = false, nameSeen = false;
    ResourceRecords records(image);
    while (auto record = records.next()) {
        any = true;
        if (!matches(record->type, type)) continue;
        typeSeen = true;
        if (!matches(record->name, name)) continue;
        nameSeen = true;
        if (!language || record->language == *language) return {record, ERROR_SUCCESS};
    }
    DWORD error = !any        ? ERROR_RESOURCE_DATA_NOT_FOUND
                  : !typeSeen ? ERROR_RESOURCE_TYPE_NOT_FOUND
                  : !nameSeen ? ERROR_RESOURCE_NAME_NOT_FOUND
                              : ERROR_RESOURCE_LANG_NOT_FOUND;
    return {std::nullopt, error};
}

std::optional<std::span<const BYTE>> stringInTable(std::span<const BYTE> table, UINT index) {
    size_t at = 0;
    for (UINT i = 0;; ++i) {
        if (table.size() - at < 2) return std::nullopt;
        const size_t bytes = size_t{readWord(table, at)} * 2;
        at += 2;
        if (table.size() - at < bytes) return std::nullopt;
        if (i == index) return table.subspan(at, bytes);
        at += bytes;
    }
}

}  // namespace winplat::detail
