// AVI files (internal): the video stream of a RIFF 'AVI ' file, uncompressed or BI_RLE8,
// checked against its own sizes, and its frames decoded one after the other (RLE frames draw
// over the one before, as Video for Windows plays them).
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "dib_layout.h"
#include "raster.h"

namespace winplat::detail {

struct AviVideo {
    std::span<const BYTE> bytes;
    PackedDib format;  // the stream format: header and colour table (its bytes point into `bytes`)
    DWORD microsecondsPerFrame = 0;
    std::vector<std::span<const BYTE>> frames;  // '##db' and '##dc' chunks of the video stream
};

// Reads the video stream of an AVI file; nothing when it has none of 8 bits (palettised,
// uncompressed or RLE8) or 24 bits, or the bytes do not fit the layout.
std::optional<AviVideo> parseAvi(std::span<const BYTE> bytes);

// Draws frame `index` over `picture` (bottom-up rows of 0x00RRGGBB, width x height, made on the
// first frame); false for damaged frame data.
bool decodeAviFrame(const AviVideo& video, size_t index, std::vector<Pixel>& picture);

}  // namespace winplat::detail
