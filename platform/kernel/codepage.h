// Windows-1252, the code page of the platform's "A" functions, and its UTF-16 counterpart.
#pragma once

namespace winplat::detail {

// The UTF-16 unit of a Windows-1252 byte (the five bytes the code page leaves undefined stand
// for the C1 controls of the same number, as Windows converts them).
char16_t fromWindows1252(unsigned char byte);

// The Windows-1252 byte of a UTF-16 unit, or '?' (the code page's default character) where it
// has none.
char toWindows1252(char16_t unit);

// The upper-case form of a letter of Windows-1252's repertoire (ASCII, Latin-1 and the
// code page's extra letters); every other unit is returned as it is.
char16_t upperCaseUnit(char16_t unit);

}  // namespace winplat::detail
