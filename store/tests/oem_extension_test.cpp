// The OEM extension on systems without the multiple-monitor functions: the grid of displays
// IsMultiHeaded lays out from "OEMIsMultiHeaded", and the panning mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ramp_test_support.h"

static bool operator==(const MONITORRECT& a, const MONITORRECT& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
static std::ostream& operator<<(std::ostream& os, const MONITORRECT& r) {
    return os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

namespace {

using vlt::test::ExtensionTest;
using vlt::test::Oem;
using vlt::test::Usb;

constexpr LONG kMarker = static_cast<LONG>(0xdeadbeef);
constexpr MONITORRECT kMarkerRect = {kMarker, kMarker, kMarker, kMarker};

using OemExtension = ExtensionTest;

struct Answer {
    int result = -1;
    int count = 0;
    MONITORRECT desktop = kMarkerRect;
    std::vector<MONITORRECT> rectangles;  // room for `capacity` and two markers after it
};

Answer ask(const vlt::test::Exports& vlt, int capacity) {
    Answer a;
    a.rectangles.assign(static_cast<size_t>(capacity) + 2, kMarkerRect);
    a.count = capacity;
    a.result = vlt.isMultiHeaded(a.rectangles.data(), &a.desktop, &a.count);
    return a;
}

void expectRectangles(const Answer& a, const std::vector<MONITORRECT>& written) {
    for (size_t i = 0; i < a.rectangles.size(); ++i) {
        SCOPED_TRACE("rectangle " + std::to_string(i));
        EXPECT_EQ(a.rectangles[i], i < written.size() ? written[i] : kMarkerRect);
    }
}

TEST_F(OemExtension, TwoDisplaysSideBySide) {
    for (const char* family : {"95", "NT4"}) {
        SCOPED_TRACE(family);
        useFamily(family);
        setenv("SPECTRINE_OEM_MULTIHEAD", "1024,768,2048,768,2,1", 1);
        auto& vlt = open(Oem::Version1, Usb::None, std::string("suite-") + family);
        Answer a = ask(vlt, 4);
        EXPECT_EQ(a.result, 1);
        EXPECT_EQ(a.count, 2);
        EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 2048, 768}));
        expectRectangles(a, {{0, 0, 1024, 768}, {1024, 0, 1024, 768}});
        EXPECT_EQ(vlt.nbMonitors(), 2);
    }
}

TEST_F(OemExtension, TheCallersCapacityIsRespected) {
    useFamily("95");
    setenv("SPECTRINE_OEM_MULTIHEAD", "800,600,1600,1200,4,1", 1);
    auto& vlt = open(Oem::Version1, Usb::None);
    const std::vector<MONITORRECT> grid = {
        {0, 0, 800, 600}, {800, 0, 800, 600}, {0, 600, 800, 600}, {800, 600, 800, 600}};
    for (int capacity : {0, 1, 3, 4, 6}) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        Answer a = ask(vlt, capacity);
        EXPECT_EQ(a.result, 1);
        EXPECT_EQ(a.count, 4) << "the count is the extension's";
        EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 1600, 1200}));
        std::vector<MONITORRECT> written(grid.begin(), grid.begin() + std::min(capacity, 4));
        expectRectangles(a, written);
    }
    // A negative count is no room; null pointers are skipped.
    MONITORRECT one[3] = {kMarkerRect, kMarkerRect, kMarkerRect};
    int count = -3;
    EXPECT_EQ(vlt.isMultiHeaded(one, nullptr, &count), 1);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(one[0], kMarkerRect);
    EXPECT_EQ(vlt.isMultiHeaded(one, nullptr, nullptr), 1);
    EXPECT_EQ(one[0], kMarkerRect);
}

TEST_F(OemExtension, NoGridGivesOneMonitorCoveringTheScreen) {
    spx::test::VirtualMonitor screen;
    screen.width = 1280;
    screen.height = 1024;
    writeDisplayIni({screen});
    struct Case {
        const char* name;
        Oem oem;
        const char* answer;  // null: the extension answers all zero
    } cases[] = {{"no extension", Oem::None, nullptr},
                 {"all zero", Oem::Version1, "0,0,0,0,0,0"},
                 {"displays without width", Oem::Version1, "0,768,2048,768,2,1"},
                 {"displays without height", Oem::Version1, "1024,0,2048,768,2,1"},
                 {"a desktop of nothing", Oem::Version1, "1024,768,0,0,2,1"},
                 {"negative sizes", Oem::Version1, "-1024,768,2048,768,2,1"}};
    for (const char* family : {"95", "NT4"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(family) + ": " + c.name);
            useFamily(family);
            if (c.answer)
                setenv("SPECTRINE_OEM_MULTIHEAD", c.answer, 1);
            else
                unsetenv("SPECTRINE_OEM_MULTIHEAD");
            auto& vlt = open(c.oem, Usb::None, std::string("suite-") + family + "-" + c.name);
            Answer a = ask(vlt, 2);
            EXPECT_EQ(a.result, 0);
            EXPECT_EQ(a.count, 1);
            EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 1280, 1024}));
            expectRectangles(a, {{0, 0, 1280, 1024}});
            EXPECT_EQ(vlt.nbMonitors(), 1);
        }
    }
}

TEST_F(OemExtension, AGridSmallerThanTheCountFillsItsCellsOnly) {
    useFamily("95");
    setenv("SPECTRINE_OEM_MULTIHEAD", "1024,768,2048,768,5,1", 1);
    auto& vlt = open(Oem::Version1, Usb::None);
    Answer a = ask(vlt, 5);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.count, 5);
    expectRectangles(a, {{0, 0, 1024, 768}, {1024, 0, 1024, 768}});
}

TEST_F(OemExtension, PanningIsForwarded) {
    useFamily("95");
    auto& vlt = open(Oem::Version1, Usb::None);
    EXPECT_EQ(vlt.isPanningEnabled(3, 4), 3004);
    EXPECT_EQ(vlt.setPanningOn(), 11);
    ASSERT_TRUE(SetCursorPos(100, 200));
    EXPECT_EQ(vlt.setPanningOff(), 12);
    POINT where{kMarker, kMarker};
    ASSERT_TRUE(GetCursorPos(&where));
    EXPECT_EQ(where.x, 100) << "the pointer is back where it was";
    EXPECT_EQ(where.y, 200);
    EXPECT_EQ(oemCalls(), (std::vector<std::string>{"OEMIsPanningEnabled 3 4", "OEMSetPanningOn",
                                                    "OEMSetPanningOff"}));
}

TEST_F(OemExtension, PanningWithoutTheExtensionIsZero) {
    useFamily("NT4");
    auto& vlt = open(Oem::None, Usb::None);
    EXPECT_EQ(vlt.isPanningEnabled(3, 4), 0);
    EXPECT_EQ(vlt.setPanningOn(), 0);
    ASSERT_TRUE(SetCursorPos(640, 480));
    EXPECT_EQ(vlt.setPanningOff(), 0);
    POINT where{kMarker, kMarker};
    ASSERT_TRUE(GetCursorPos(&where));
    EXPECT_EQ(where.x, 640);
    EXPECT_EQ(where.y, 480);
}

TEST_F(OemExtension, PanningOffWithoutAPointer) {
    writeDisplayIni({});  // no monitor: no pointer
    useFamily("95");
    auto& vlt = open(Oem::Version1, Usb::None);
    POINT where{kMarker, kMarker};
    EXPECT_FALSE(GetCursorPos(&where));
    EXPECT_EQ(vlt.setPanningOff(), 12);
}

}  // namespace
