// Helpers shared by the store's sources (not exported).
#pragma once

#include <optional>
#include <string>

#include "win32.h"

namespace vlt {

constexpr DWORD kPathBufferSize = MAX_PATH;  // the full key path and the cached file paths

// Suite key + subkey in a MAX_PATH buffer; false when it does not fit.
bool buildKeyPath(LPCSTR subkey, char (&out)[kPathBufferSize]);

// Value name of monitor n: the base name followed by the number ("%s%d").
std::string monitorValueName(const char* base, int monitor);

// Reads a REG_DWORD of exactly four bytes; false when absent or of another type.
bool readDword(LPCSTR subkey, LPCSTR name, DWORD& value);
// Reads the first four bytes of a value of any type (the switches that only need four bytes):
// ERROR_SUCCESS, the registry's code, or ERROR_INVALID_DATA for a value of another size.
// `value` is 0 unless the read succeeded.
LONG readFourBytes(LPCSTR subkey, LPCSTR name, DWORD& value);
// A REG_SZ value below the suite key as text (readText); nothing when it is absent, unreadable,
// of another type or larger than `limit` bytes.
std::optional<std::string> readSuiteText(LPCSTR subkey, LPCSTR name, DWORD limit = 4096);
LONG writeDword(LPCSTR subkey, LPCSTR name, DWORD value);

// Decimal reader for numbers stored as text. Skips blanks and tabs, takes an optional '-',
// then digits with at most one '.'; every other character counts as a digit (its code minus
// '0'); no exponent. Stops at ',' (returns the position after it), at a terminator or at `end`
// (returns that position). Never reads at or past `end`.
const char* readDecimal(const char* text, const char* end, double& value);
// The same without sign or decimal point; wraps around like unsigned 32-bit arithmetic.
const char* readInteger(const char* text, const char* end, int& value);

// The LUT directory ("Settings" "LutDir") with a '\' at its end, read once per process while
// non-empty. False when it is not set.
bool lutDirectory(char* out, DWORD size);

}  // namespace vlt
