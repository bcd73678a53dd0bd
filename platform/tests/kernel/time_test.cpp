// Clock, calendar and FILETIME conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "fresh_root.h"
#include "win32.h"

namespace {

using spx::test::FreshRootTest;

FILETIME fileTime(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}
uint64_t ticksOf(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

SYSTEMTIME systemTime(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
    SYSTEMTIME st{};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    st.wSecond = s;
    st.wMilliseconds = ms;
    st.wDayOfWeek = 0xBDBD;  // ignored on input
    return st;
}

class TimeTest : public FreshRootTest {
protected:
    void TearDown() override {
        unsetenv("SPECTRINE_FAKE_TIME");
        FreshRootTest::TearDown();
    }
};

TEST_F(TimeTest, SystemTimeToFileTimeKnownInstants) {
    struct Case {
        SYSTEMTIME st;
        uint64_t ticks;
    } cases[] = {
        {systemTime(1601, 1, 1), 0},
        {systemTime(1970, 1, 1), 116444736000000000ull},
        {systemTime(1980, 1, 1), 119600064000000000ull},
        {systemTime(2000, 1, 1), 125911584000000000ull},
        {systemTime(2024, 2, 29, 12, 34, 56, 789), 133536836960000000ull + 7890000},
        {systemTime(2107, 12, 31, 23, 59, 59), 159992927990000000ull},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.st.wYear << "-" << c.st.wMonth << "-" << c.st.wDay);
        FILETIME ft{0xdeadbeef, 0xdeadbeef};
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
        EXPECT_EQ(ticksOf(ft), c.ticks);

        SYSTEMTIME back;
        std::memset(&back, 0xBD, sizeof back);
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, c.st.wYear);
        EXPECT_EQ(back.wMonth, c.st.wMonth);
        EXPECT_EQ(back.wDay, c.st.wDay);
        EXPECT_EQ(back.wHour, c.st.wHour);
        EXPECT_EQ(back.wMinute, c.st.wMinute);
        EXPECT_EQ(back.wSecond, c.st.wSecond);
        EXPECT_EQ(back.wMilliseconds, c.st.wMilliseconds);
    }
}

TEST_F(TimeTest, FileTimeToSystemTimeGivesDayOfWeek) {
    struct Case {
        SYSTEMTIME st;
        WORD dayOfWeek;
    } cases[] = {
        {systemTime(1601, 1, 1), 1},   // Monday
        {systemTime(1970, 1, 1), 4},   // Thursday
        {systemTime(2000, 1, 1), 6},   // Saturday
        {systemTime(2000, 2, 29), 2},  // Tuesday, a leap day of a century year
        {systemTime(2024, 2, 29), 4},  // Thursday
        {systemTime(2100, 3, 1), 1},   // Monday, after a century without leap day
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.st.wYear << "-" << c.st.wMonth << "-" << c.st.wDay);
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek);
        EXPECT_EQ(back.wDay, c.st.wDay);
        EXPECT_EQ(back.wMonth, c.st.wMonth);
    }
}

TEST_F(TimeTest, InvalidSystemTimesAreRefused) {
    SYSTEMTIME cases[] = {
        systemTime(1600, 12, 31),  systemTime(2023, 2, 29),          systemTime(2023, 13, 1),
        systemTime(2023, 0, 1),    systemTime(2023, 4, 31),          systemTime(2023, 1, 0),
        systemTime(2023, 1, 1, 24), systemTime(2023, 1, 1, 0, 60),   systemTime(2023, 1, 1, 0, 0, 60),
        systemTime(2023, 1, 1, 0, 0, 0, 1000), systemTime(1900, 2, 29),
    };
    for (const SYSTEMTIME& st : cases) {
        SCOPED_TRACE(testing::Message() << st.wYear << "-" << st.wMonth << "-" << st.wDay << " "
                                        << st.wHour << ":" << st.wMinute << ":" << st.wSecond
                                        << "." << st.wMilliseconds);
        FILETIME ft{0xdeadbeef, 0xdeadbeef};
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(ft.dwLowDateTime, 0xdeadbeefu);
        EXPECT_EQ(ft.dwHighDateTime, 0xdeadbeefu);
    }
}

TEST_F(TimeTest, FileTimeBeyondRangeIsRefused) {
    FILETIME ft = fileTime(0x8000000000000000ull);
    SYSTEMTIME st;
    std::memset(&st, 0xBD, sizeof st);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(st.wYear, 0xBDBD);

    ft = fileTime(0x7FFFFFFFFFFFFFFFull);
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, 30828);
    EXPECT_EQ(st.wMonth, 9);
    EXPECT_EQ(st.wDay, 14);
}

TEST_F(TimeTest, DosDateTimePacking) {
    struct Case {
        SYSTEMTIME st;
        WORD date;
        WORD time;
    } cases[] = {
        {systemTime(1980, 1, 1), 0x0021, 0x0000},
        {systemTime(1999, 12, 31, 23, 59, 58), static_cast<WORD>((19 << 9) | (12 << 5) | 31),
         static_cast<WORD>((23 << 11) | (59 << 5) | 29)},
        // Odd seconds round down to the two-second grain.
        {systemTime(2024, 2, 29, 12, 34, 57), static_cast<WORD>((44 << 9) | (2 << 5) | 29),
         static_cast<WORD>((12 << 11) | (34 << 5) | 28)},
        {systemTime(2107, 12, 31, 23, 59, 59), 0xFF9F, 0xBF7D},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.st.wYear << "-" << c.st.wMonth << "-" << c.st.wDay);
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&c.st, &ft));
        WORD date = 0xBDBD, time = 0xBDBD;
        ASSERT_TRUE(FileTimeToDosDateTime(&ft, &date, &time));
        EXPECT_EQ(date, c.date);
        EXPECT_EQ(time, c.time);
    }
}

TEST_F(TimeTest, DosDateTimeOutsideFatYearsFails) {
    for (SYSTEMTIME st : {systemTime(1979, 12, 31, 23, 59, 59), systemTime(2108, 1, 1),
                          systemTime(1601, 1, 1)}) {
        SCOPED_TRACE(st.wYear);
        FILETIME ft;
        ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
        WORD date = 0xBDBD, time = 0xBDBD;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(FileTimeToDosDateTime(&ft, &date, &time));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(date, 0xBDBD);
        EXPECT_EQ(time, 0xBDBD);
    }
}

TEST_F(TimeTest, CompareFileTimeComparesHighPartFirst) {
    FILETIME a = {0xFFFFFFFF, 0}, b = {0, 1};
    EXPECT_EQ(CompareFileTime(&a, &b), -1);
    EXPECT_EQ(CompareFileTime(&b, &a), 1);
    EXPECT_EQ(CompareFileTime(&a, &a), 0);
    FILETIME c = {1, 5}, d = {2, 5};
    EXPECT_EQ(CompareFileTime(&c, &d), -1);
}

TEST_F(TimeTest, FakeTimeIsReadAtEachCall) {
    setenv("SPECTRINE_FAKE_TIME", "2001-02-03T04:05:06", 1);
    SYSTEMTIME st;
    std::memset(&st, 0xBD, sizeof st);
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, 2001);
    EXPECT_EQ(st.wMonth, 2);
    EXPECT_EQ(st.wDay, 3);
    EXPECT_EQ(st.wDayOfWeek, 6);  // Saturday
    EXPECT_EQ(st.wHour, 4);
    EXPECT_EQ(st.wMinute, 5);
    EXPECT_EQ(st.wSecond, 6);
    EXPECT_EQ(st.wMilliseconds, 0);

    setenv("SPECTRINE_FAKE_TIME", "1999-12-31 23:59:59", 1);
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, 1999);
    EXPECT_EQ(st.wMonth, 12);
    EXPECT_EQ(st.wDay, 31);
    EXPECT_EQ(st.wDayOfWeek, 5);  // Friday
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wMinute, 59);
    EXPECT_EQ(st.wSecond, 59);
}

TEST_F(TimeTest, InvalidFakeTimeFallsBackToTheClock) {
    const char* cases[] = {"",
                           "garbage",
                           "2001-02-30T04:05:06",
                           "2001-2-03T04:05:06",
                           "2001-02-03T24:00:00",
                           "2001-02-03T04:05:06Z",
                           "2001-02-03X04:05:06",
                           "2001-02-03T04:05"};
    time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        setenv("SPECTRINE_FAKE_TIME", text, 1);
        SYSTEMTIME st{};
        GetLocalTime(&st);
        // The test may straddle New Year's Eve; the clock's year is one of the two.
        EXPECT_GE(st.wYear, local.tm_year + 1900);
        EXPECT_LE(st.wYear, local.tm_year + 1901);
    }
}

TEST_F(TimeTest, LocalFileTimeAddsTheCurrentBias) {
    const char* oldTz = std::getenv("TZ");
    std::string saved = oldTz ? oldTz : "";
    setenv("TZ", "XST-3", 1);  // three hours east of UTC, no daylight saving
    tzset();
    FILETIME utc = fileTime(125911584000000000ull), local{0xdeadbeef, 0xdeadbeef};
    EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(ticksOf(local), 125911584000000000ull + 3ull * 3600 * 10000000);
    if (oldTz)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(TimeTest, TickCountAdvancesAcrossSleep) {
    DWORD before = GetTickCount();
    Sleep(30);
    DWORD elapsed = GetTickCount() - before;  // modular, as callers compute it
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 60000u);
}

TEST_F(TimeTest, SystemTimeMatchesTheClock) {
    time_t now = time(nullptr);
    SYSTEMTIME st{};
    GetSystemTime(&st);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    uint64_t expected = (static_cast<uint64_t>(now) + 11644473600ull) * 10000000ull;
    uint64_t got = ticksOf(ft);
    EXPECT_LT(got > expected ? got - expected : expected - got, 5ull * 10000000ull);
}

}  // namespace
