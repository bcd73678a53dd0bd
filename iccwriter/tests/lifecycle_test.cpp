// Context and profile lifetimes, and what every operation does with null handles and pointers.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "icc_support.h"

namespace icctest {
namespace {

class LifecycleTest : public IccWriterTest {};

int progressCalls = 0;
int countProgress(uint32_t, void*) { return ++progressCalls; }

TEST_F(LifecycleTest, InitializeAndTerminateSetTheContext) {
    SpContext context = 0xdeadbeef;
    progressCalls = 0;
    EXPECT_EQ(SpInitialize(&context, countProgress, &context), SP_OK);
    EXPECT_EQ(context, 1u);
    EXPECT_EQ(SpInitialize(&context, nullptr, nullptr), SP_OK);
    EXPECT_EQ(context, 1u);
    EXPECT_EQ(SpTerminate(&context), SP_OK);
    EXPECT_EQ(context, 0u);
    context = 0xdeadbeef;
    EXPECT_EQ(SpTerminate(&context), SP_OK);
    EXPECT_EQ(context, 0u);
    EXPECT_EQ(progressCalls, 0);
}

TEST_F(LifecycleTest, NullContextPointerFails) {
    EXPECT_EQ(SpInitialize(nullptr, countProgress, nullptr), SP_FAILED);
    EXPECT_EQ(SpTerminate(nullptr), SP_FAILED);
}

TEST_F(LifecycleTest, CreateIgnoresTheContextValue) {
    for (SpContext context : {0u, 1u, 0xdeadbeefu}) {
        SCOPED_TRACE(::testing::Message() << "context " << context);
        SpProfileHandle h = reinterpret_cast<SpProfileHandle>(std::uintptr_t{0xdeadbeef});
        ASSERT_EQ(SpProfileCreate(context, &h), SP_OK);
        ASSERT_NE(h, nullptr);
        ASSERT_NE(h, reinterpret_cast<SpProfileHandle>(std::uintptr_t{0xdeadbeef}));
        EXPECT_EQ(SpProfileFree(&h), SP_OK);
    }
    EXPECT_EQ(SpProfileCreate(1, nullptr), SP_FAILED);
}

TEST_F(LifecycleTest, ProfilesAreIndependent) {
    ProfilePtr a = newProfile();
    ProfilePtr b = newProfile();
    ASSERT_NE(a.get(), b.get());
    ASSERT_EQ(SetTextTag(a, "cprt", "only in a"), SP_OK);
    const std::string pathA = colorPath("a.icm"), pathB = colorPath("b.icm");
    ASSERT_EQ(SpProfileSaveToDisk(a, pathA.c_str()), SP_OK);
    ASSERT_EQ(SpProfileSaveToDisk(b, pathB.c_str()), SP_OK);
    expectFileBytes(pathA, expectedProfile(templateHeader(), {{"cprt", textData("only in a")}}));
    expectFileBytes(pathB, expectedProfile(templateHeader(), {}));
    expectReadersAccept(pathA);
    expectReadersAccept(pathB);
}

TEST_F(LifecycleTest, FreeLeavesTheCallersHandle) {
    SpProfileHandle h = nullptr;
    ASSERT_EQ(SpProfileCreate(1, &h), SP_OK);
    ASSERT_EQ(SetTextTag(h, "cprt", "x"), SP_OK);
    const SpProfileHandle before = h;
    EXPECT_EQ(SpProfileFree(&h), SP_OK);
    EXPECT_EQ(h, before);

    SpProfileHandle none = nullptr;
    EXPECT_EQ(SpProfileFree(&none), SP_FAILED);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(SpProfileFree(nullptr), SP_FAILED);
}

TEST_F(LifecycleTest, TagOperationsFailOnANullHandle) {
    const std::uint16_t curve[2] = {1, 2};
    const struct {
        const char* name;
        std::function<int()> call;
    } cases[] = {
        {"SetDateTimeTag", [] { return SetDateTimeTag(nullptr, "calt", 2003, 4, 5, 6, 7, 8); }},
        {"SetTextTag", [] { return SetTextTag(nullptr, "cprt", "x"); }},
        {"SetTextDescTag", [] { return SetTextDescTag(nullptr, "desc", "x"); }},
        {"SetXYZTag", [] { return SetXYZTag(nullptr, "wtpt", 1, 2, 3); }},
        {"SetCurveTag", [&] { return SetCurveTag(nullptr, "rTRC", curve, 2); }},
        {"SpProfileSaveToDisk", [&] {
             return SpProfileSaveToDisk(nullptr, colorPath("never.icm").c_str());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), SP_FAILED);
    }
    EXPECT_TRUE(listDirectory(colorPath("")).empty());
}

// Null signatures, texts and value arrays are refused and the profile keeps what it had.
TEST_F(LifecycleTest, NullPointersFailAndChangeNothing) {
    ProfilePtr p = newProfile();
    ASSERT_EQ(SetXYZTag(p, "wtpt", 1, 2, 3), SP_OK);
    const std::uint16_t curve[2] = {1, 2};
    const struct {
        const char* name;
        std::function<int(SpProfileHandle)> call;
    } cases[] = {
        {"date-time, no signature",
         [](SpProfileHandle h) { return SetDateTimeTag(h, nullptr, 2003, 4, 5, 6, 7, 8); }},
        {"text, no signature", [](SpProfileHandle h) { return SetTextTag(h, nullptr, "x"); }},
        {"text, no text", [](SpProfileHandle h) { return SetTextTag(h, "cprt", nullptr); }},
        {"description, no signature",
         [](SpProfileHandle h) { return SetTextDescTag(h, nullptr, "x"); }},
        {"description, no text",
         [](SpProfileHandle h) { return SetTextDescTag(h, "desc", nullptr); }},
        {"XYZ, no signature", [](SpProfileHandle h) { return SetXYZTag(h, nullptr, 1, 2, 3); }},
        {"curve, no signature",
         [&](SpProfileHandle h) { return SetCurveTag(h, nullptr, curve, 2); }},
        {"curve, no values", [](SpProfileHandle h) { return SetCurveTag(h, "rTRC", nullptr, 2); }},
        {"curve, no values, count 1",
         [](SpProfileHandle h) { return SetCurveTag(h, "rTRC", nullptr, 1); }},
        {"save, no path", [](SpProfileHandle h) { return SpProfileSaveToDisk(h, nullptr); }},
        {"save, empty path", [](SpProfileHandle h) { return SpProfileSaveToDisk(h, ""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(p), SP_FAILED);
    }
    const std::string path = colorPath("unchanged.icm");
    ASSERT_EQ(SpProfileSaveToDisk(p, path.c_str()), SP_OK);
    EXPECT_EQ(listDirectory(colorPath("")), std::vector<std::string>{"unchanged.icm"});
    expectFileBytes(path, expectedProfile(templateHeader(), {{"wtpt", xyzData(1, 2, 3)}}));
    expectReadersAccept(path);
}

// The whole sequence the builders run returns 0 at every step.
TEST_F(LifecycleTest, BuilderSequenceSucceeds) {
    SpContext context = 0;
    ASSERT_EQ(SpInitialize(&context, nullptr, nullptr), SP_OK);
    SpProfileHandle h = nullptr;
    ASSERT_EQ(SpProfileCreate(context, &h), SP_OK);
    SpHeader header;
    ASSERT_EQ(SpProfileGetHeader(h, &header), SP_OK);
    ASSERT_EQ(SpProfileSetHeader(h, &header), SP_OK);
    EXPECT_EQ(SetDateTimeTag(h, "calt", header.dateTime[0], header.dateTime[1],
                             header.dateTime[2], header.dateTime[3], header.dateTime[4],
                             header.dateTime[5]),
              SP_OK);
    EXPECT_EQ(SetTextTag(h, "cprt", "Copyright Kalvenmor"), SP_OK);
    EXPECT_EQ(SetTextDescTag(h, "desc", "Spectrine: Kalvenmor 17"), SP_OK);
    const std::uint16_t gamma = 563;
    EXPECT_EQ(SetCurveTag(h, "kTRC", &gamma, 1), SP_OK);
    const std::string path = colorPath("Spectrine95.icm");
    EXPECT_EQ(SpProfileSaveToDisk(h, path.c_str()), SP_OK);
    EXPECT_EQ(SpProfileFree(&h), SP_OK);
    EXPECT_EQ(SpTerminate(&context), SP_OK);
    EXPECT_EQ(context, 0u);

    expectFileBytes(path, expectedProfile(templateHeader(),
                                          {{"calt", dateTimeData(kTestClock)},
                                           {"cprt", textData("Copyright Kalvenmor")},
                                           {"desc", descData("Spectrine: Kalvenmor 17", 24)},
                                           {"kTRC", curveData({563})}}));
    expectReadersAccept(path);
}

}  // namespace
}  // namespace icctest
