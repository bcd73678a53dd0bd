// Feeds arbitrary blocks to the EDID record builder. The first byte steers the harness: bit 0
// mends the header and checksum so that most inputs reach the record itself, the other bits
// choose the output size; the next bytes are the block (of any length) and the rest the
// monitor's description.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "records_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;
    // Block length: usually 128, sometimes whatever the input holds.
    size_t blockSize = (control & 2) ? (size < 300 ? size : 300) : (size < 128 ? size : 128);
    std::unique_ptr<unsigned char[]> block(new unsigned char[blockSize ? blockSize : 1]);
    if (blockSize) std::memcpy(block.get(), data, blockSize);
    if ((control & 1) && blockSize == 128) {
        const unsigned char header[8] = {0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00};
        std::memcpy(block.get(), header, 8);
        unsigned sum = 0;
        for (size_t i = 0; i < 127; ++i) sum += block[i];
        block[127] = static_cast<unsigned char>(-sum & 0xff);
    }
    // The description: an exact-size terminated copy of the rest.
    const size_t textSize = size - blockSize;
    std::unique_ptr<char[]> text(new char[textSize + 1]);
    std::memcpy(text.get(), data + blockSize, textSize);
    text[textSize] = '\0';

    const size_t outSize = (control >> 2) == 63 ? 4096 : (control >> 2);
    std::unique_ptr<char[]> out(new char[outSize ? outSize : 1]);
    const bool ok = vlt::buildEdidRecord(block.get(), blockSize, text.get(), out.get(), outSize);
    if (outSize) {
        const size_t n = strnlen(out.get(), outSize);
        if (n >= outSize) __builtin_trap();           // always terminated inside the buffer
        if (!ok && n != 0) __builtin_trap();           // a refused block leaves no text
        if (ok && outSize > 14 && std::strncmp(out.get(), "PnP VESA DDC -", 14) != 0) __builtin_trap();
    }
    return 0;
}
