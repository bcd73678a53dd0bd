// The pointer on the virtual display: where it starts, moving it, keeping it on the monitors,
// and a machine without a pointer. (The X11 pointer is tested against Xorg with the display.)
#include <gtest/gtest.h>

#include <climits>
#include <source_location>

#include "fresh_root.h"
#include "winplat.h"

namespace {

using spx::test::FreshRootTest;
using spx::test::VirtualMonitor;

constexpr LONG kMarker = static_cast<LONG>(0xdeadbeef);

void expectCursorAt(LONG x, LONG y, std::source_location where = std::source_location::current()) {
    SCOPED_TRACE(testing::Message() << "called from line " << where.line());
    POINT p{kMarker, kMarker};
    SetLastError(0xdeadbeef);
    ASSERT_EQ(GetCursorPos(&p), TRUE);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

class Cursor : public FreshRootTest {};

TEST_F(Cursor, StartsInTheMiddleOfThePrimaryMonitor) {
    std::vector<VirtualMonitor> monitors = spx::test::monitorsSideBySide(2);
    monitors[0].width = 1280;
    monitors[0].height = 1024;
    monitors[1].left = 1280;
    writeDisplayIni(monitors);
    expectCursorAt(640, 512);
}

TEST_F(Cursor, StaysWhereItWasMovedUntilTheProcessStateIsReset) {
    writeDisplayIni(spx::test::monitorsSideBySide(2));
    SetLastError(0xdeadbeef);
    ASSERT_EQ(SetCursorPos(100, 200), TRUE);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    expectCursorAt(100, 200);
    ASSERT_EQ(SetCursorPos(1500, 767), TRUE);  // on the second monitor
    expectCursorAt(1500, 767);
    expectCursorAt(1500, 767);

    WinplatResetProcessState();
    expectCursorAt(512, 384);
}

TEST_F(Cursor, APointBesideTheMonitorsMovesToTheNearestPointOfTheNearestOne) {
    // The second monitor lower than the first: a gap above it and one below the first.
    std::vector<VirtualMonitor> monitors = spx::test::monitorsSideBySide(2);
    monitors[1].top = 200;
    writeDisplayIni(monitors);
    struct Case {
        int x, y;
        LONG expectedX, expectedY;
    } cases[] = {
        {0, 0, 0, 0},
        {1023, 767, 1023, 767},
        {1024, 200, 1024, 200},
        {-50, -50, 0, 0},
        {5000, 300, 2047, 300},
        {1500, 100, 1500, 200},   // above the second monitor: onto its top edge
        {1030, 50, 1023, 50},     // nearer the first monitor's right edge
        {100, 900, 100, 767},     // below the first
        {1030, 900, 1030, 900},   // on the second
        {2048, 968, 2047, 967},
        {INT_MIN, INT_MIN, 0, 0},
        {INT_MAX, INT_MAX, 2047, 967},
        {INT_MIN, INT_MAX, 0, 767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        ASSERT_EQ(SetCursorPos(c.x, c.y), TRUE);
        expectCursorAt(c.expectedX, c.expectedY);
    }
}

TEST_F(Cursor, AMachineWithoutMonitorsHasNoPointer) {
    writeDisplayIni({});
    POINT p{kMarker, kMarker};
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetCursorPos(&p), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(p.x, kMarker);
    EXPECT_EQ(p.y, kMarker);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetCursorPos(0, 0), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Cursor, ANullPointIsRefused) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetCursorPos(nullptr), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOACCESS));
}

TEST_F(Cursor, ThePlatformLayerSuppliesTheCursorFunctionsAsUser32) {
    HMODULE user32 = LoadLibraryA("user32.dll");
    ASSERT_NE(user32, nullptr);
    auto set = reinterpret_cast<BOOL (*)(int, int)>(GetProcAddress(user32, "SetCursorPos"));
    auto get = reinterpret_cast<BOOL (*)(LPPOINT)>(GetProcAddress(user32, "GetCursorPos"));
    ASSERT_NE(set, nullptr);
    ASSERT_NE(get, nullptr);
    ASSERT_EQ(set(0, 0), TRUE);
    POINT p{kMarker, kMarker};
    ASSERT_EQ(get(&p), TRUE);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
}

}  // namespace
