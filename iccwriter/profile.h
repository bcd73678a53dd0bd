// The profile object behind an SpProfileHandle: header bytes, tag table and tag data, all kept
// in file byte order so that saving only lays them out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "kalvicm.h"

namespace kalvicm {

inline constexpr std::size_t kHeaderBytes = 124;      // ICC header without the size field
inline constexpr std::size_t kTableOffset = 132;      // size field + header + tag count
inline constexpr std::size_t kTableEntryBytes = 12;   // signature, offset, size
inline constexpr std::size_t kMaxTags = SP_MAX_TAGS;
inline constexpr std::uint64_t kMaxFileBytes = 0xFFFFFFFFu;  // the size field is 32-bit

using Signature = std::array<char, 4>;

// Local time fields as the header and the date-time tag hold them.
struct DateTime {
    std::uint16_t year, month, day, hour, minute, second;
};

// The local time now, as a new profile is stamped with it.
DateTime localTimeNow();

// Why a tag operation did not add its tag.
enum class AddResult { Added, TableFull, TooLarge, NoMemory };

class Profile {
public:
    // A profile with the template header stamped with `created`. Throws std::bad_alloc when the
    // tag table cannot be obtained.
    explicit Profile(const DateTime& created);

    void getHeader(SpHeader& record) const;
    void setHeader(const SpHeader& record);

    AddResult addDateTime(const Signature& sig, const DateTime& t);
    AddResult addText(const Signature& sig, const char* text);
    AddResult addTextDescription(const Signature& sig, const char* text);
    AddResult addXYZ(const Signature& sig, std::int32_t x, std::int32_t y, std::int32_t z);
    AddResult addCurve(const Signature& sig, const std::uint16_t* values, std::uint32_t count);

    std::size_t tagCount() const { return tags_.size(); }
    // Length of the file this profile saves to (at most kMaxFileBytes).
    std::uint32_t fileSize() const;
    // Lays the whole file out into `out` (exactly fileSize() bytes, zero padding included).
    void writeImage(std::span<std::uint8_t> out) const;

private:
    struct Tag {
        Signature sig;
        std::uint32_t size;                 // bytes of data, trailing alignment not counted
        std::unique_ptr<std::uint8_t[]> data;  // type signature, reserved, payload
    };

    // Reserves a tag of `size` data bytes starting with `type` and four zero bytes; returns the
    // payload area (size - 8 bytes) for the caller to fill, or null with the reason in `result`.
    std::uint8_t* beginTag(const Signature& sig, const char (&type)[5], std::uint64_t size,
                           AddResult& result);

    std::array<std::uint8_t, kHeaderBytes> header_{};
    std::vector<Tag> tags_;
    std::uint64_t alignedData_ = 0;  // sum of the tags' data sizes rounded up to 4
};

}  // namespace kalvicm
