// Limits: the 100-entry tag table, counts and lengths that would overflow the 32-bit file, and
// running out of memory for a tag. A refused tag leaves the profile valid and saveable.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>

#include "icc_support.h"

namespace icctest {
namespace {

class LimitsTest : public IccWriterTest {};

std::string sigOf(int i) {
    char s[5];
    std::snprintf(s, sizeof s, "t%03d", i);
    return s;
}

TEST_F(LimitsTest, HundredTagsFitAndTheNextIsRefused) {
    ProfilePtr p = newProfile();
    std::vector<ExpectedTag> expected;
    const std::uint16_t curve[] = {0x0100, 0x0200, 0x0300};
    for (int i = 0; i < SP_MAX_TAGS; ++i) {
        const std::string sig = sigOf(i);
        SCOPED_TRACE(sig);
        switch (i % 5) {
        case 0:
            ASSERT_EQ(SetXYZTag(p, sig.c_str(), i, -i, 0x10000), SP_OK);
            expected.push_back({sig, xyzData(i, -i, 0x10000)});
            break;
        case 1:
            ASSERT_EQ(SetTextTag(p, sig.c_str(), sig.c_str()), SP_OK);
            expected.push_back({sig, textData(sig)});
            break;
        case 2:
            ASSERT_EQ(SetTextDescTag(p, sig.c_str(), sig.c_str()), SP_OK);
            expected.push_back({sig, descData(sig, 5)});
            break;
        case 3:
            ASSERT_EQ(SetCurveTag(p, sig.c_str(), curve, 1 + i % 3), SP_OK);
            expected.push_back(
                {sig, curveData(std::vector<std::uint16_t>(curve, curve + 1 + i % 3))});
            break;
        default:
            ASSERT_EQ(SetDateTimeTag(p, sig.c_str(), 2000, 1, 1, 0, 0, i), SP_OK);
            expected.push_back({sig, dateTimeData({2000, 1, 1, 0, 0, std::uint16_t(i)})});
            break;
        }
    }
    const std::string before = colorPath("full.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, before.c_str()), SP_OK);

    const struct {
        const char* name;
        std::function<int()> call;
    } refused[] = {
        {"date-time", [&] { return SetDateTimeTag(p, "x101", 2003, 4, 5, 6, 7, 8); }},
        {"text", [&] { return SetTextTag(p, "x101", "x"); }},
        {"description", [&] { return SetTextDescTag(p, "x101", "x"); }},
        {"XYZ", [&] { return SetXYZTag(p, "x101", 1, 2, 3); }},
        {"curve", [&] { return SetCurveTag(p, "x101", curve, 3); }},
        {"empty curve", [&] { return SetCurveTag(p, "x101", nullptr, 0); }},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.call(), SP_FAILED);
    }

    const std::string after = colorPath("after.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, after.c_str()), SP_OK);
    const Bytes e = expectedProfile(templateHeader(), expected);
    expectFileBytes(before, e);
    expectFileBytes(after, e);
    expectReadersAccept(after);
}

// Counts whose tag would not fit a file with a 32-bit size are refused before anything is read
// or allocated (the one-entry array would be overrun otherwise).
TEST_F(LimitsTest, CurveCountsBeyondTheFileSizeAreRefused) {
    ProfilePtr p = newProfile();
    const std::uint16_t one = 0x0100;
    // Empty profile: 132 + 12 (entry) + 12 + 2n must stay at most 0xFFFFFFFF, so n <= 2147483569.
    for (std::uint32_t count : {0xFFFFFFFFu, 0x80000000u, 2147483570u}) {
        SCOPED_TRACE(::testing::Message() << "count " << count);
        EXPECT_EQ(SetCurveTag(p, "rTRC", &one, count), SP_FAILED);
    }
    ASSERT_EQ(SetCurveTag(p, "rTRC", &one, 1), SP_OK);
    const std::string path = colorPath("afteroverflow.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"rTRC", curveData({0x0100})}}));
    expectReadersAccept(path);
}

// Reads the size of the process's address space in bytes.
std::size_t addressSpaceBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// No memory for a tag's data: the tag is refused and the profile goes on as before. The address
// space limit makes the 2 GiB allocation fail; the values come from a mapping of zero pages so
// that nothing is overrun should the allocation be attempted differently.
TEST_F(LimitsTest, NoMemoryForATagRefusesOnlyThatTag) {
    constexpr std::uint32_t count = 1u << 30;  // 2 GiB of entries, well inside the file limit
    const std::size_t mapped = std::size_t{count} * 2;
    void* zeros = mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                       -1, 0);
    ASSERT_NE(zeros, MAP_FAILED);

    ProfilePtr p = newProfile();
    ASSERT_EQ(SetTextTag(p, "cprt", "kept"), SP_OK);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = addressSpaceBytes() + (std::size_t{256} << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    const int result = SetCurveTag(p, "rTRC", static_cast<const std::uint16_t*>(zeros), count);
    const int next = SetXYZTag(p, "wtpt", 1, 2, 3);
    setrlimit(RLIMIT_AS, &saved);
    munmap(zeros, mapped);

    EXPECT_EQ(result, SP_FAILED);
    EXPECT_EQ(next, SP_OK);
    const std::string path = colorPath("nomemory.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"cprt", textData("kept")},
                                                             {"wtpt", xyzData(1, 2, 3)}}));
    expectReadersAccept(path);
}

// A long curve within the limits: the entry count and every entry land big-endian.
TEST_F(LimitsTest, LongCurve) {
    std::vector<std::uint16_t> values(4097);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<std::uint16_t>(i * 65535 / (values.size() - 1));
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetCurveTag(p, "kTRC", values.data(), static_cast<std::uint32_t>(values.size())),
              SP_OK);
    ASSERT_EQ(SetTextTag(p, "cprt", "after"), SP_OK);
    const std::string path = colorPath("long.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    expectFileBytes(path, expectedProfile(templateHeader(), {{"kTRC", curveData(values)},
                                                             {"cprt", textData("after")}}));
    expectReadersAccept(path);
}

}  // namespace
}  // namespace icctest
