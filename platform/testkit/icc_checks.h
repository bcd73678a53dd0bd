// Test support for every module that writes ICC profiles: expected file bytes written out by
// hand, reading files back, and the independent ICC readers (Little CMS, ArgyllCMS iccdump) that
// must accept every profile the tests write. SPX_HAVE_LCMS2 is defined when Little CMS was found.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>


namespace icctest {

// Big-endian bytes appended one field at a time; the tests build expected files with it.
class Bytes {
public:
    Bytes& u8(std::uint8_t v);
    Bytes& be16(std::uint16_t v);
    Bytes& be32(std::uint32_t v);
    Bytes& chars(std::string_view text);  // the characters only, no terminator
    Bytes& zeros(std::size_t n);
    Bytes& append(const Bytes& other);
    void patchBe32(std::size_t at, std::uint32_t v);
    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& data() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// The clock every test runs with ($SPECTRINE_FAKE_TIME).
struct Clock {
    std::uint16_t year, month, day, hour, minute, second;
};
inline constexpr Clock kTestClock{2003, 4, 5, 6, 7, 8};
inline constexpr const char* kTestClockText = "2003-04-05T06:07:08";

// The 124 header bytes of a new profile created at `clock`.
Bytes templateHeader(const Clock& clock = kTestClock);

// Tag data as the file holds it, written out field by field.
Bytes curveData(const std::vector<std::uint16_t>& values);
Bytes dateTimeData(const Clock& t);
Bytes textData(std::string_view text);  // text, NUL, zeros up to a multiple of 4
// `scriptCount` is the ScriptCode count byte the caller expects.
Bytes descData(std::string_view text, std::uint8_t scriptCount);
Bytes xyzData(std::int32_t x, std::int32_t y, std::int32_t z);

struct ExpectedTag {
    std::string sig;
    Bytes data;
};
// A whole profile file: size field, header, count, table, each tag's data at the next multiple
// of 4 with zero bytes between.
Bytes expectedProfile(const Bytes& header, const std::vector<ExpectedTag>& tags);

// The whole file; empty when it cannot be read.
std::vector<std::uint8_t> readBytes(const std::string& path);
// Names in a directory, sorted.
std::vector<std::string> listDirectory(const std::string& path);

// Fails with the first differing offset when the file does not hold exactly `expected`.
void expectFileBytes(const std::string& path, const Bytes& expected,
                     std::source_location where = std::source_location::current());

// Opens the file with Little CMS: every standard tag read with cmsReadTag, every other tag with
// cmsReadRawTag on a fresh handle and compared with the file's bytes, and when the profile has
// the matrix/TRC tags a transform to sRGB is created. Skips the test when built without Little
// CMS.
void expectLcmsAccepts(const std::string& path,
                       std::source_location where = std::source_location::current());
// Little CMS refuses to open the file with an error message containing `reason`.
void expectLcmsRefuses(const std::string& path, const std::string& reason,
                       std::source_location where = std::source_location::current());
// Runs `iccdump -v3` on the file: exit status 0 and no "Unable to read" or error lines. Returns
// the output. Skips the test when iccdump is not installed.
std::string expectIccdumpAccepts(const std::string& path,
                                 std::source_location where = std::source_location::current());
// Both of the above.
void expectReadersAccept(const std::string& path,
                         std::source_location where = std::source_location::current());

}  // namespace icctest
