// Clock and calendar services: local and UTC time, tick count, FILETIME conversions and the
// FAT date/time packing used in file lists.
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "files.h"
#include "win32.h"

namespace {

// FILETIME counts 100 ns intervals since 1601-01-01 00:00 UTC.
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = kTicksPerSecond * 86'400;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kUnixEpochSeconds = 11'644'473'600;
constexpr uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;

bool isLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Days since 1601-01-01 of a proleptic Gregorian date. 1601 starts a 400-year cycle, so the
// count is plain arithmetic on whole cycles, centuries and leap years.
int64_t daysSince1601(int64_t year, int month, int day) {
    int64_t y = year - 1601;
    int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += daysInMonth(year, m);
    return days + (day - 1);
}

struct Civil {
    int64_t year;
    int month;
    int day;
};

Civil civilFromDays(int64_t days) {
    // 146097 days per 400 years; inside a cycle, walk centuries, 4-year groups and years.
    int64_t cycles = days / 146'097;
    int64_t rest = days % 146'097;
    int64_t centuries = rest / 36'524;
    if (centuries == 4) centuries = 3;  // last day of a 400-year cycle
    rest -= centuries * 36'524;
    int64_t quads = rest / 1'461;
    rest -= quads * 1'461;
    int64_t years = rest / 365;
    if (years == 4) years = 3;  // last day of a leap year group
    rest -= years * 365;
    Civil c{1601 + cycles * 400 + centuries * 100 + quads * 4 + years, 1, 1};
    while (rest >= daysInMonth(c.year, c.month)) {
        rest -= daysInMonth(c.year, c.month);
        ++c.month;
    }
    c.day = static_cast<int>(rest) + 1;
    return c;
}

uint64_t toTicks(const FILETIME& ft) {
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fromTicks(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

SYSTEMTIME systemTimeFromTicks(uint64_t ticks) {
    int64_t days = static_cast<int64_t>(ticks / kTicksPerDay);
    int64_t inDay = static_cast<int64_t>(ticks % kTicksPerDay);
    Civil c = civilFromDays(days);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(c.year);
    st.wMonth = static_cast<WORD>(c.month);
    st.wDay = static_cast<WORD>(c.day);
    st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    st.wHour = static_cast<WORD>(inDay / (3600 * kTicksPerSecond));
    st.wMinute = static_cast<WORD>(inDay / (60 * kTicksPerSecond) % 60);
    st.wSecond = static_cast<WORD>(inDay / kTicksPerSecond % 60);
    st.wMilliseconds = static_cast<WORD>(inDay / 10'000 % 1000);
    return st;
}

bool validDate(int64_t year, int month, int day) {
    return year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, month);
}

SYSTEMTIME fromTm(const struct tm& tm, long nanoseconds) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // leap second
    st.wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
    return st;
}

// "YYYY-MM-DDTHH:MM:SS" or "YYYY-MM-DD HH:MM:SS", exactly; anything else is not a time.
std::optional<SYSTEMTIME> parseFakeTime(const char* text) {
    if (!text || std::strlen(text) != 19) return std::nullopt;
    auto digits = [&](int from, int count) -> int {
        int v = 0;
        for (int i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year = digits(0, 4), month = digits(5, 2), day = digits(8, 2);
    int hour = digits(11, 2), minute = digits(14, 2), second = digits(17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0)
        return std::nullopt;
    if (!validDate(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wDayOfWeek = static_cast<WORD>((daysSince1601(year, month, day) + 1) % 7);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    return st;
}

// Offset of local time from UTC now, in seconds (east positive).
long currentUtcOffset() {
    time_t now = time(nullptr);
    struct tm tm {};
    if (!localtime_r(&now, &tm)) return 0;
    return tm.tm_gmtoff;
}

}  // namespace

WINPLAT_API void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    if (!lpSystemTime) return;
    if (auto fake = parseFakeTime(std::getenv("SPECTRINE_FAKE_TIME"))) {
        *lpSystemTime = *fake;
        return;
    }
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    *lpSystemTime = fromTm(tm, ts.tv_nsec);
}

WINPLAT_API void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    if (!lpSystemTime) return;
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tm {};
    gmtime_r(&ts.tv_sec, &tm);
    *lpSystemTime = fromTm(tm, ts.tv_nsec);
}

WINPLAT_API DWORD GetTickCount(void) {
    struct timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1'000'000;
    return static_cast<DWORD>(ms);  // wraps after 49.7 days, as on Windows
}

WINPLAT_API void Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;) {
            struct timespec hour {3600, 0};
            nanosleep(&hour, nullptr);
        }
    }
    struct timespec ts {static_cast<time_t>(dwMilliseconds / 1000),
                        static_cast<long>(dwMilliseconds % 1000) * 1'000'000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

WINPLAT_API BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
    if (!lpSystemTime || !lpFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    if (!validDate(st.wYear, st.wMonth, st.wDay) || st.wHour > 23 || st.wMinute > 59 ||
        st.wSecond > 59 || st.wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t days = daysSince1601(st.wYear, st.wMonth, st.wDay);
    int64_t seconds = days * 86'400 + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
    uint64_t ticks = static_cast<uint64_t>(seconds) * kTicksPerSecond +
                     static_cast<uint64_t>(st.wMilliseconds) * 10'000;
    *lpFileTime = fromTicks(ticks);
    return TRUE;
}

WINPLAT_API BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || toTicks(*lpFileTime) > kMaxFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpSystemTime = systemTimeFromTicks(toTicks(*lpFileTime));
    return TRUE;
}

// Like Windows, the bias in force now applies, whatever daylight saving rule held at that time.
WINPLAT_API BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t ticks = static_cast<int64_t>(toTicks(*lpFileTime));
    int64_t bias = static_cast<int64_t>(currentUtcOffset()) * kTicksPerSecond;
    if (toTicks(*lpFileTime) > kMaxFileTime || ticks + bias < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = fromTicks(static_cast<uint64_t>(ticks + bias));
    return TRUE;
}

WINPLAT_API BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate,
                                       LPWORD lpFatTime) {
    if (!lpFileTime || !lpFatDate || !lpFatTime || toTicks(*lpFileTime) > kMaxFileTime) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SYSTEMTIME st = systemTimeFromTicks(toTicks(*lpFileTime));
    // Seven bits of years from 1980.
    if (st.wYear < 1980 || st.wYear > 2107) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFatDate = static_cast<WORD>(((st.wYear - 1980) << 9) | (st.wMonth << 5) | st.wDay);
    *lpFatTime = static_cast<WORD>((st.wHour << 11) | (st.wMinute << 5) | (st.wSecond / 2));
    return TRUE;
}

WINPLAT_API LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
    if (!lpFileTime1 || !lpFileTime2) return -1;
    uint64_t a = toTicks(*lpFileTime1), b = toTicks(*lpFileTime2);
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace winplat::detail {
FILETIME fileTimeFromUnix(int64_t seconds, long nanoseconds) {
    int64_t ticks = (seconds + kUnixEpochSeconds) * kTicksPerSecond + nanoseconds / 100;
    return fromTicks(ticks < 0 ? 0 : static_cast<uint64_t>(ticks));
}
}  // namespace winplat::detail
