// The Win32 .res layout: the compiled resources of a library or program, as windres writes
// them and winplat_add_resources embeds them. A sequence of records, each a RESOURCEHEADER
// (data size, header size, type, name, DWORD alignment, data version, memory flags, language,
// version, characteristics) followed by its data, every record starting at a DWORD boundary.
// The first record of a file is an empty marker of type 0, which is no resource.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "win32.h"

namespace winplat::detail {

// Little-endian reads from bytes that come from outside; the caller checks the bounds.
inline WORD readWord(std::span<const BYTE> bytes, size_t at) {
    return static_cast<WORD>(bytes[at] | bytes[at + 1] << 8);
}
inline DWORD readDword(std::span<const BYTE> bytes, size_t at) {
    return readWord(bytes, at) | static_cast<DWORD>(readWord(bytes, at + 2)) << 16;
}

// A type or name as a record stores it: a number, or UTF-16 text (two bytes a unit, not
// terminated, not necessarily aligned).
struct ResourceName {
    std::optional<WORD> number;
    std::span<const BYTE> text;
};

// A type or name asked for: a number, or text in upper case.
struct ResourceKey {
    std::optional<WORD> number;
    std::u16string text;
};

// The key of an "A" function's type or name: a MAKEINTRESOURCEA number; "#" and decimal digits
// (the number they spell, up to the first other character); any other string, read as
// Windows-1252. Nothing for a "#" number beyond 65535.
std::optional<ResourceKey> resourceKey(LPCSTR typeOrName);

// Numbers match numbers; texts match texts ignoring case.
bool matches(const ResourceName& stored, const ResourceKey& key);

struct ResourceRecord {
    ResourceName type;
    ResourceName name;
    WORD language = 0;
    size_t offset = 0;  // of the record's header in the image
    std::span<const BYTE> data;
};

// The records of an image, in order. The walk ends at the end of the image or at the first
// record that does not fit the layout; the records before it stay usable.
class ResourceRecords {
public:
    explicit ResourceRecords(std::span<const BYTE> image) : image_(image) {}
    std::optional<ResourceRecord> next();

private:
    std::span<const BYTE> image_;
    size_t offset_ = 0;
};

// The record whose header starts at `offset`, if the walk reaches one there.
std::optional<ResourceRecord> recordAt(std::span<const BYTE> image, size_t offset);

// The first record of `type` and `name`, of `language` when one is given. Otherwise the error
// FindResourceExA reports: ERROR_RESOURCE_DATA_NOT_FOUND (no resources at all),
// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_LANG_NOT_FOUND.
struct ResourceSearch {
    std::optional<ResourceRecord> record;
    DWORD error = ERROR_SUCCESS;
};
ResourceSearch findRecord(std::span<const BYTE> image, const ResourceKey& type,
                          const ResourceKey& name, std::optional<WORD> language);

constexpr UINT kStringsPerTable = 16;

// String `index` (0 to 15) of an RT_STRING table: sixteen strings, each a WORD count of UTF-16
// units followed by the units (a missing string has count 0). Its UTF-16 bytes; nothing when
// the table ends before it.
std::optional<std::span<const BYTE>> stringInTable(std::span<const BYTE> table, UINT index);

}  // namespace winplat::detail
