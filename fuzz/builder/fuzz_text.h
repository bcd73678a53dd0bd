// The fuzzer's bytes as a text the builders are handed: at most `limit` characters and a
// terminator, in a buffer of exactly that size so that any read past the terminator is caught.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

inline std::unique_ptr<char[]> terminatedText(const uint8_t* data, size_t size, size_t limit) {
    const size_t n = size < limit ? size : limit;
    std::unique_ptr<char[]> text(new char[n + 1]);
    if (n) std::memcpy(text.get(), data, n);
    text[n] = '\0';
    return text;
}
