// The monitor table, IsMultiHeaded and the monitor count on the system families, and the grid
// in which the OEM extension's displays are laid out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fresh_root.h"
#include "multi_head.h"
#include "process_state.h"
#include "vltutil.h"

// Found by argument lookup for the global MONITORRECT; file-local.
static bool operator==(const MONITORRECT& a, const MONITORRECT& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
static std::ostream& operator<<(std::ostream& os, const MONITORRECT& r) {
    return os << "{" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << "}";
}

namespace {

using spx::test::FreshRootTest;
using spx::test::monitorsSideBySide;
using spx::test::VirtualMonitor;

constexpr LONG kMarker = static_cast<LONG>(0xdeadbeef);
constexpr MONITORRECT kMarkerRect = {kMarker, kMarker, kMarker, kMarker};


class MultiHead : public FreshRootTest {
protected:
    struct Answer {
        int result = -1;
        int count = 0;
        MONITORRECT desktop = kMarkerRect;
        std::vector<MONITORRECT> rectangles;  // the caller's whole array, markers included
    };
    // IsMultiHeaded with room for `capacity` rectangles in an array of `capacity` + 2 markers.
    static Answer ask(int capacity) {
        Answer a;
        a.rectangles.assign(static_cast<size_t>(capacity) + 2, kMarkerRect);
        a.count = capacity;
        a.result = IsMultiHeaded(a.rectangles.data(), &a.desktop, &a.count);
        return a;
    }
    static void expectRectangles(const Answer& a, const std::vector<MONITORRECT>& written) {
        for (size_t i = 0; i < a.rectangles.size(); ++i) {
            SCOPED_TRACE("rectangle " + std::to_string(i));
            EXPECT_EQ(a.rectangles[i], i < written.size() ? written[i] : kMarkerRect);
        }
    }
};

// One configuration per process: the table is built once.
class MultiHeadOne : public MultiHead {};

TEST_F(MultiHeadOne, SingleMonitorIsNotMultiHeaded) {
    writeDisplayIni(monitorsSideBySide(1));
    Answer a = ask(3);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 1024, 768}));
    expectRectangles(a, {{0, 0, 1024, 768}});
    EXPECT_EQ(GetSpectrineNbMonitors(), 1);
}

TEST_F(MultiHeadOne, TwoMonitorsOnNt5) {
    writeDisplayIni(monitorsSideBySide(2));
    useFamily("NT5");
    Answer a = ask(2);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 2048, 768}));
    expectRectangles(a, {{0, 0, 1024, 768}, {1024, 0, 1024, 768}});
    EXPECT_EQ(GetSpectrineNbMonitors(), 2);
}

TEST_F(MultiHeadOne, ThreeMonitorsOfDifferentSizesAndPlaces) {
    VirtualMonitor left;
    left.left = -1280;
    left.width = 1280;
    left.height = 1024;
    VirtualMonitor lower;
    lower.left = 1024;
    lower.top = 100;
    lower.width = 800;
    lower.height = 600;
    writeDisplayIni({VirtualMonitor{}, left, lower});
    Answer a = ask(3);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.desktop, (MONITORRECT{-1280, 0, 3104, 1024}));
    expectRectangles(a, {{0, 0, 1024, 768}, {-1280, 0, 1280, 1024}, {1024, 100, 800, 600}});
    EXPECT_EQ(GetSpectrineNbMonitors(), 3);
}

TEST_F(MultiHeadOne, TenthMonitorIsCountedButNotRecorded) {
    writeDisplayIni(monitorsSideBySide(10));
    const vlt::MonitorTable& table = vlt::processState().monitors;
    EXPECT_EQ(table.count, 10);
    EXPECT_EQ(table.recorded(), 9);
    Answer a = ask(10);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.count, 10);
    EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 10240, 768}));
    std::vector<MONITORRECT> nine;
    for (LONG i = 0; i < 9; ++i) nine.push_back({1024 * i, 0, 1024, 768});
    expectRectangles(a, nine);
    EXPECT_EQ(GetSpectrineNbMonitors(), 10);
}

TEST_F(MultiHeadOne, CallersCapacityIsRespected) {
    writeDisplayIni(monitorsSideBySide(3));
    struct Case {
        int capacity;
        size_t written;
    } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {5, 3}, {-4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("capacity " + std::to_string(c.capacity));
        Answer a;
        a.rectangles.assign(7, kMarkerRect);
        a.count = c.capacity;
        a.result = IsMultiHeaded(a.rectangles.data(), &a.desktop, &a.count);
        EXPECT_EQ(a.result, 1);
        EXPECT_EQ(a.count, 3);
        EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 3072, 768}));
        std::vector<MONITORRECT> all = {{0, 0, 1024, 768}, {1024, 0, 1024, 768}, {2048, 0, 1024, 768}};
        all.resize(c.written);
        expectRectangles(a, all);
    }
}

TEST_F(MultiHeadOne, NullPointersAreSkipped) {
    writeDisplayIni(monitorsSideBySide(2));
    int count = 0;  // a first call with no buffers only counts
    EXPECT_EQ(IsMultiHeaded(nullptr, nullptr, &count), 1);
    EXPECT_EQ(count, 2);
    MONITORRECT rectangles[2] = {kMarkerRect, kMarkerRect};
    EXPECT_EQ(IsMultiHeaded(rectangles, nullptr, nullptr), 1) << "no count: no room";
    EXPECT_EQ(rectangles[0], kMarkerRect);
    MONITORRECT desktop = kMarkerRect;
    EXPECT_EQ(IsMultiHeaded(nullptr, &desktop, nullptr), 1);
    EXPECT_EQ(desktop, (MONITORRECT{0, 0, 2048, 768}));
}

TEST_F(MultiHeadOne, TableKeepsRectanglesAndRampsInMonitorOrder) {
    auto monitors = monitorsSideBySide(3);
    monitors[1].gammaRamp = 0;  // a card without a ramp
    writeDisplayIni(monitors);
    const vlt::ProcessState& state = vlt::processState();
    EXPECT_EQ(state.family, vlt::SystemFamily::MultiMonitor);
    const vlt::MonitorTable& table = state.monitors;
    ASSERT_EQ(table.count, 3);
    const bool ramps[3] = {true, false, true};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("monitor " + std::to_string(i));
        const vlt::MonitorTableEntry& e = table.entries[static_cast<size_t>(i)];
        EXPECT_EQ(e.left, 1024 * i);
        EXPECT_EQ(e.width, 1024);
        EXPECT_EQ(e.rampReadable, ramps[i]);
    }
    EXPECT_EQ(&vlt::processState(), &state) << "built once";
}

TEST_F(MultiHeadOne, Windows95AsksTheOemExtension) {
    writeDisplayIni(monitorsSideBySide(2));
    useFamily("95");
    // No extension: the screen is the one monitor, not multi-headed.
    Answer a = ask(2);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 1024, 768}));
    expectRectangles(a, {{0, 0, 1024, 768}});
    EXPECT_EQ(GetSpectrineNbMonitors(), 1);
    // The table holds the primary screen alone, the screen size as the desktop.
    const vlt::ProcessState& state = vlt::processState();
    EXPECT_EQ(state.family, vlt::SystemFamily::Other);
    EXPECT_EQ(state.monitors.count, 1);
    EXPECT_EQ(state.monitors.desktopWidth, 1024);
    EXPECT_EQ(state.monitors.desktopHeight, 768);
    EXPECT_EQ(state.monitors.entries[0].width, 1024);
    EXPECT_EQ(state.monitors.entries[0].height, 768);
    EXPECT_TRUE(state.monitors.entries[0].rampReadable);
}

TEST_F(MultiHeadOne, Nt4AsksTheOemExtension) {
    writeDisplayIni(monitorsSideBySide(3));
    useFamily("NT4");
    Answer a = ask(3);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.count, 1);
    EXPECT_EQ(a.desktop, (MONITORRECT{0, 0, 1024, 768}));
    expectRectangles(a, {{0, 0, 1024, 768}});
    EXPECT_EQ(GetSpectrineNbMonitors(), 1);
    const vlt::ProcessState& state = vlt::processState();
    EXPECT_EQ(state.family, vlt::SystemFamily::Nt4);
    EXPECT_EQ(state.monitors.count, 1);
    EXPECT_FALSE(state.monitors.entries[0].rampReadable) << "NT 4 reads no ramp itself";
}

TEST_F(MultiHead, SystemFamilyFromTheVersion) {
    struct Case {
        const char* family;
        vlt::SystemFamily expected;
    } cases[] = {{"95", vlt::SystemFamily::Other},
                 {"98", vlt::SystemFamily::MultiMonitor},
                 {"NT4", vlt::SystemFamily::Nt4},
                 {"NT5", vlt::SystemFamily::MultiMonitor}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.family);
        useFamily(c.family);
        EXPECT_EQ(vlt::systemVersion().family(), c.expected);
    }
}

TEST(DisplayGrid, DisplaysLaidOutRowByRow) {
    struct Case {
        const char* name;
        vlt::OemMultiHead answer;
        int capacity;
        std::vector<MONITORRECT> expected;
    } cases[] = {
        {"two side by side", {1024, 768, 2048, 768, 2, true}, 4, {{0, 0, 1024, 768}, {1024, 0, 1024, 768}}},
        {"two by two",
         {800, 600, 1600, 1200, 4, true},
         4,
         {{0, 0, 800, 600}, {800, 0, 800, 600}, {0, 600, 800, 600}, {800, 600, 800, 600}}},
        {"capacity below the cells", {800, 600, 1600, 1200, 4, true}, 3,
         {{0, 0, 800, 600}, {800, 0, 800, 600}, {0, 600, 800, 600}}},
        {"fewer displays than cells", {800, 600, 1600, 1200, 3, true}, 4,
         {{0, 0, 800, 600}, {800, 0, 800, 600}, {0, 600, 800, 600}}},
        {"more displays than cells", {1024, 768, 2048, 768, 5, true}, 5, {{0, 0, 1024, 768}, {1024, 0, 1024, 768}}},
        {"no extension", {}, 4, {}},
        {"display wider than the desktop", {2048, 768, 1024, 768, 1, false}, 4, {}},
        {"display without height", {1024, 0, 2048, 768, 2, true}, 4, {}},
        {"no room", {1024, 768, 2048, 768, 2, true}, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<MONITORRECT> out(6, kMarkerRect);
        int written = vlt::layOutDisplayGrid(c.answer, out.data(), c.capacity);
        EXPECT_EQ(written, static_cast<int>(c.expected.size()));
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(out[i], i < c.expected.size() ? c.expected[i] : kMarkerRect) << "rectangle " << i;
    }
    EXPECT_EQ(vlt::layOutDisplayGrid({1024, 768, 2048, 768, 2, true}, nullptr, 4), 0);
}

}  // namespace
