// Feeds LUT files to ReadSpectrineLUT, and tone models to WriteSpectrineLUT. The first byte
// steers the harness: with bit 0 clear the rest is a LUT file of any length, read back into
// marked tables (complete only from 1568 bytes on, untouched otherwise, the entries the file's
// little-endian words); with bit 0 set the rest gives the twelve look-up parameters (any
// doubles, NaN and infinity too), whose file must read back as the forward tables computed
// in memory. The system root is a fresh folder in shared memory.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "vltutil.h"
#include "winplat.h"
#include "winplat_files.h"

namespace {

constexpr size_t kTable = 256;
constexpr size_t kComplete = 32 + 3 * 512;

std::string& lutFolder() {
    static std::string folder;
    return folder;
}

void setUp() {
    std::string root = "/dev/shm/spectrine-fuzz-lut-XXXXXX";
    if (!mkdtemp(root.data())) std::abort();
    setenv("SPECTRINE_ROOT", root.c_str(), 1);
    setenv("SPECTRINE_DISPLAY", "virtual", 1);
    lutFolder() = root;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(lutFolder(), ec);
    });
    if (!WriteSpectrineRegString("Settings", "LutDir", root.c_str())) std::abort();
}

WORD word(const uint8_t* at) { return static_cast<WORD>(at[0] | at[1] << 8); }

void readFile(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (winplat::replaceFile((lutFolder() + "/input.lut").c_str(), bytes) != ERROR_SUCCESS) std::abort();
    WORD tables[3][kTable + 1];
    std::memset(tables, 0xbd, sizeof tables);
    const int result = ReadSpectrineLUT("input.lut", 0, tables[0], tables[1], tables[2]);
    if (result != (size >= kComplete ? 1 : 0)) __builtin_trap();
    for (size_t c = 0; c < 3; ++c) {
        if (tables[c][kTable] != 0xbdbd) __builtin_trap();  // never past a table
        for (size_t i = 0; i < kTable; ++i) {
            const WORD expected = result ? word(data + 32 + c * 512 + 2 * i) : WORD{0xbdbd};
            if (tables[c][i] != expected) __builtin_trap();
        }
    }
}

void writeModel(const uint8_t* data, size_t size) {
    double p[12] = {1, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1};
    std::memcpy(p, data, size < sizeof p ? size : sizeof p);
    if (WriteSpectrineLUT("model.lut", p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9],
                          p[10], p[11]) != 1)
        __builtin_trap();
    WORD expected[3][kTable], read[3][kTable];
    GetSpectrineLUT(expected[0], expected[1], expected[2], p[0], p[1], p[2], p[3], p[4], p[5], p[6],
                    p[7], p[8], p[9], p[10], p[11]);
    if (ReadSpectrineLUT("model.lut", 0, read[0], read[1], read[2]) != 1) __builtin_trap();
    if (std::memcmp(expected, read, sizeof read) != 0) __builtin_trap();
    for (const auto& table : read)
        for (WORD entry : table)
            if (entry % 256 != 0 || entry > 255 * 256) __builtin_trap();  // levels x 256
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (setUp(), true);
    (void)ready;
    if (size < 1) return 0;
    if (data[0] & 1)
        writeModel(data + 1, size - 1);
    else
        readFile(data + 1, size - 1);
    return 0;
}
