// Reading AVI files: RIFF chunks ('hdrl' with 'avih' and the first 'vids' stream's 'strh' and
// 'strf', 'movi' with its frames, 'rec ' lists included), every size checked.
#include "avi.h"

#include <algorithm>
#include <cstring>

#include "dib_decode.h"
#include "resource_format.h"

namespace winplat::detail {
namespace {

bool fourcc(std::span<const BYTE> bytes, size_t at, const char* code) {
    return at + 4 <= bytes.size() && std::memcmp(bytes.data() + at, code, 4) == 0;
}

struct Reading {
    AviVideo video;
    bool haveFormat = false;
    bool videoStream = false;
    int stream = -1;  // index of the video stream, for its chunk names
    int streams = 0;
};

// Walks the chunks of `bytes` (a list's contents), recursing into lists.
bool walk(std::span<const BYTE> bytes, Reading& r) {
    size_t at = 0;
    while (at + 8 <= bytes.size()) {
        DWORD size = readDword(bytes, at + 4);
        if (size > bytes.size() - at - 8) return false;
        std::span<const BYTE> body = bytes.subspan(at + 8, size);
        if (fourcc(bytes, at, "LIST")) {
            if (body.size() < 4) return false;
            if (fourcc(body, 0, "strl")) ++r.streams, r.videoStream = false;
            if (!walk(body.subspan(4), r)) return false;
        } else if (fourcc(bytes, at, "avih")) {
            if (body.size() < 40) return false;
            r.video.microsecondsPerFrame = readDword(body, 0);
        } else if (fourcc(bytes, at, "strh")) {
            r.videoStream = body.size() >= 4 && fourcc(body, 0, "vids") && r.stream < 0;
            if (r.videoStream) r.stream = r.streams - 1;
        } else if (fourcc(bytes, at, "strf") && r.videoStream && !r.haveFormat) {
            auto format = parseDibHeader(body);
            if (!format) return false;
            r.video.format = *format;
            r.haveFormat = true;
        } else if (r.stream >= 0 && at + 4 <= bytes.size() && bytes[at] == '0' + r.stream / 10 &&
                   bytes[at + 1] == '0' + r.stream % 10 && bytes[at + 2] == 'd' &&
                   (bytes[at + 3] == 'b' || bytes[at + 3] == 'c')) {
            r.video.frames.push_back(body);
        }
        at += 8 + size + (size & 1);
    }
    return true;
}

}  // namespace

std::optional<AviVideo> parseAvi(std::span<const BYTE> bytes) {
    if (bytes.size() < 12 || !fourcc(bytes, 0, "RIFF") || !fourcc(bytes, 8, "AVI ")) return std::nullopt;
    DWORD size = readDword(bytes, 4);
    if (size < 4 || size > bytes.size() - 8) return std::nullopt;
    Reading r;
    r.video.bytes = bytes;
    if (!walk(bytes.subspan(12, size - 4), r) || !r.haveFormat) return std::nullopt;
    const PackedDib& f = r.video.format;
    bool eightBits = f.bitCount == 8 && (f.compression == kDibRgb || f.compression == kDibRle8);
    bool trueColour = f.bitCount == 24 && f.compression == kDibRgb;
    if (!eightBits && !trueColour) return std::nullopt;
    return r.video;
}

bool decodeAviFrame(const AviVideo& video, size_t index, std::vector<Pixel>& picture) {
    if (index >= video.frames.size()) return false;
    PackedDib layout = video.format;
    std::span<const BYTE> data = video.frames[index];
    size_t pixels = static_cast<size_t>(layout.width) * static_cast<size_t>(layout.rows());
    if (picture.size() != pixels) picture.assign(pixels, 0);
    if (data.empty()) return true;  // a dropped frame repeats the one before
    if (layout.compression == kDibRle8) return decodeRunLengthsOnto(layout, data, picture);
    if (data.size() < layout.stride * static_cast<size_t>(layout.rows())) return false;
    DecodedDib out;
    if (!decodeDib(layout, data.data(), {}, 0, static_cast<UINT>(layout.rows()), out)) return false;
    // Stored order (bottom row first) from the decoder's top-first rows.
    size_t width = static_cast<size_t>(out.width);
    for (int y = 0; y < out.height; ++y)
        std::copy_n(out.pixels.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(y) * width), width,
                    picture.begin() + static_cast<ptrdiff_t>(static_cast<size_t>(out.height - 1 - y) * width));
    return true;
}

}  // namespace winplat::detail
