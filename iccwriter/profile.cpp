#include "profile.h"

#include <cstring>
#include <new>

#include "win32.h"

namespace kalvicm {

namespace {

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

std::uint16_t get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

constexpr std::uint64_t roundUp4(std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; }

// Header offsets (ICC offset minus 4) of the numbers the caller's record holds in host order.
constexpr std::size_t kDateTimeAt = 20;
constexpr std::size_t kIntentAt = 60;
constexpr std::size_t kIlluminantAt = 64;

static_assert(offsetof(SpHeader, dateTime) == kDateTimeAt);
static_assert(offsetof(SpHeader, renderingIntent) == kIntentAt);
static_assert(offsetof(SpHeader, illuminant) == kIlluminantAt);

void putChars(std::uint8_t* p, const char (&text)[5]) { std::memcpy(p, text, 4); }

// Bytes of the ScriptCode area that follows the count byte of a description tag.
constexpr std::size_t kScriptCodeBytes = 67;

// The ScriptCode count byte of a description whose ASCII count is `asciiCount`: the ASCII count
// modulo 256 as long as it fits the 67-byte ScriptCode area, else 0. Readers reject a count
// larger than the area.
std::uint8_t scriptCodeCount(std::uint64_t asciiCount) {
    const auto count = static_cast<std::uint8_t>(asciiCount & 0xFF);
    return count <= kScriptCodeBytes ? count : 0;
}

}  // namespace

DateTime localTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

Profile::Profile(const DateTime& created) {
    tags_.reserve(kMaxTags);  // the whole table up front: adding a tag never reallocates it

    std::uint8_t* h = header_.data();
    putChars(h + 0, "KALV");
    h[4] = 0x02;  // version 2.0: 02 00 00 00
    putChars(h + 8, "mntr");
    putChars(h + 12, "RGB ");
    putChars(h + 16, "XYZ ");
    put16(h + kDateTimeAt + 0, created.year);
    put16(h + kDateTimeAt + 2, created.month);
    put16(h + kDateTimeAt + 4, created.day);
    put16(h + kDateTimeAt + 6, created.hour);
    put16(h + kDateTimeAt + 8, created.minute);
    put16(h + kDateTimeAt + 10, created.second);
    putChars(h + 32, "acsp");
    putChars(h + 36, "MSFT");
    putChars(h + 44, "none");
    // D50 illuminant 0.9642, 1.0, 0.8249 as s15Fixed16.
    put32(h + kIlluminantAt + 0, 0x0000F6D5);
    put32(h + kIlluminantAt + 4, 0x00010000);
    put32(h + kIlluminantAt + 8, 0x0000D32B);
}

void Profile::getHeader(SpHeader& record) const {
    std::memcpy(&record, header_.data(), kHeaderBytes);
    for (int i = 0; i < 6; ++i) record.dateTime[i] = get16(header_.data() + kDateTimeAt + 2 * i);
    record.renderingIntent = get32(header_.data() + kIntentAt);
    for (int i = 0; i < 3; ++i)
        record.illuminant[i] = static_cast<std::int32_t>(get32(header_.data() + kIlluminantAt + 4 * i));
}

void Profile::setHeader(const SpHeader& record) {
    std::memcpy(header_.data(), &record, kHeaderBytes);
    for (int i = 0; i < 6; ++i) put16(header_.data() + kDateTimeAt + 2 * i, record.dateTime[i]);
    put32(header_.data() + kIntentAt, record.renderingIntent);
    for (int i = 0; i < 3; ++i)
        put32(header_.data() + kIlluminantAt + 4 * i, static_cast<std::uint32_t>(record.illuminant[i]));
}

std::uint8_t* Profile::beginTag(const Signature& sig, const char (&type)[5], std::uint64_t size,
                                AddResult& result) {
    if (tags_.size() >= kMaxTags) {
        result = AddResult::TableFull;
        return nullptr;
    }
    // End of the file with this tag last: the table grows by one entry and the data of every
    // earlier tag is already rounded up to 4.
    const std::uint64_t end =
        kTableOffset + kTableEntryBytes * (tags_.size() + 1) + alignedData_ + size;
    if (size > kMaxFileBytes || end > kMaxFileBytes) {
        result = AddResult::TooLarge;
        return nullptr;
    }
    std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[size]);
    if (!data) {
        result = AddResult::NoMemory;
        return nullptr;
    }
    std::uint8_t* p = data.get();
    putChars(p, type);
    put32(p + 4, 0);
    tags_.push_back(Tag{sig, static_cast<std::uint32_t>(size), std::move(data)});
    alignedData_ += roundUp4(size);
    result = AddResult::Added;
    return p + 8;
}

AddResult Profile::addDateTime(const Signature& sig, const DateTime& t) {
    AddResult result;
    if (std::uint8_t* p = beginTag(sig, "dtim", 20, result)) {
        put16(p + 0, t.year);
        put16(p + 2, t.month);
        put16(p + 4, t.day);
        put16(p + 6, t.hour);
        put16(p + 8, t.minute);
        put16(p + 10, t.second);
    }
    return result;
}

AddResult Profile::addText(const Signature& sig, const char* text) {
    const std::uint64_t length = std::strlen(text);
    const std::uint64_t stored = roundUp4(length + 1);  // string, NUL, zeros up to 4
    AddResult result;
    if (std::uint8_t* p = beginTag(sig, "text", 8 + stored, result)) {
        std::memcpy(p, text, length);
        std::memset(p + length, 0, stored - length);
    }
    return result;
}

AddResult Profile::addTextDescription(const Signature& sig, const char* text) {
    const std::uint64_t length = std::strlen(text);
    const std::uint64_t ascii = length + 1;  // ASCII count A: the string and its NUL
    AddResult result;
    if (std::uint8_t* p = beginTag(sig, "desc", 90 + ascii, result)) {
        put32(p, static_cast<std::uint32_t>(ascii));
        p += 4;
        std::memcpy(p, text, length);
        p[length] = 0;
        p += ascii;
        put32(p, 0);  // Unicode language code
        put32(p + 4, 0);  // Unicode count
        put16(p + 8, 0);  // ScriptCode code
        p[10] = scriptCodeCount(ascii);
        std::memset(p + 11, 0, kScriptCodeBytes);
    }
    return result;
}

AddResult Profile::addXYZ(const Signature& sig, std::int32_t x, std::int32_t y, std::int32_t z) {
    AddResult result;
    if (std::uint8_t* p = beginTag(sig, "XYZ ", 20, result)) {
        put32(p + 0, static_cast<std::uint32_t>(x));
        put32(p + 4, static_cast<std::uint32_t>(y));
        put32(p + 8, static_cast<std::uint32_t>(z));
    }
    return result;
}

AddResult Profile::addCurve(const Signature& sig, const std::uint16_t* values, std::uint32_t count) {
    AddResult result;
    if (std::uint8_t* p = beginTag(sig, "curv", 12 + std::uint64_t{2} * count, result)) {
        put32(p, count);
        p += 4;
        for (std::uint32_t i = 0; i < count; ++i, p += 2) put16(p, values[i]);
    }
    return result;
}

std::uint32_t Profile::fileSize() const {
    if (tags_.empty()) return kTableOffset;
    // Every tag's data is rounded up to 4 except the last one's.
    const std::uint64_t last = tags_.back().size;
    return static_cast<std::uint32_t>(kTableOffset + kTableEntryBytes * tags_.size() +
                                      alignedData_ - roundUp4(last) + last);
}

void Profile::writeImage(std::span<std::uint8_t> out) const {
    std::uint8_t* const base = out.data();
    put32(base, fileSize());
    std::memcpy(base + 4, header_.data(), kHeaderBytes);
    put32(base + 128, static_cast<std::uint32_t>(tags_.size()));

    std::uint8_t* entry = base + kTableOffset;
    std::uint64_t offset = kTableOffset + kTableEntryBytes * tags_.size();
    for (const Tag& tag : tags_) {
        const std::uint64_t aligned = roundUp4(offset);
        std::memset(base + offset, 0, aligned - offset);  // skipped bytes are zero
        offset = aligned;
        std::memcpy(base + offset, tag.data.get(), tag.size);

        std::memcpy(entry, tag.sig.data(), 4);
        put32(entry + 4, static_cast<std::uint32_t>(offset));
        put32(entry + 8, tag.size);
        entry += kTableEntryBytes;
        offset += tag.size;
    }
}

}  // namespace kalvicm
