// The date of the last calibration, the recalibration test and the room-lighting choice.
#include <cstdint>
#include <cstdio>

#include "records_internal.h"
#include "store_internal.h"
#include "vltutil.h"

namespace {

struct Date {
    int64_t year;
    int month;  // 1..12
    int day;    // 1..31
};

bool leapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int64_t year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// The date `months` months after `d`, its day kept unless the month is shorter.
Date addMonths(const Date& d, int months) {
    int64_t index = d.year * 12 + (d.month - 1) + months;
    Date r{index / 12, static_cast<int>(index % 12) + 1, d.day};
    int last = daysInMonth(r.year, r.month);
    if (r.day > last) r.day = last;
    return r;
}

bool notBefore(const Date& a, const Date& b) {
    if (a.year != b.year) return a.year > b.year;
    if (a.month != b.month) return a.month > b.month;
    return a.day >= b.day;
}

}  // namespace

VLTUTIL_API int WriteSpectrineCalibrationDate(void) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char month[8], day[8], year[16];
    std::snprintf(month, sizeof month, "%2.2d", now.wMonth);
    std::snprintf(day, sizeof day, "%2.2d", now.wDay);
    std::snprintf(year, sizeof year, "%d", now.wYear);
    std::string image;
    vlt::appendElement(image, month);
    vlt::appendElement(image, day);
    vlt::appendElement(image, year);
    return vlt::writeMultiString("Calibration", "Date", std::move(image));
}

VLTUTIL_API int IsSpectrineCalibrationOutdated(void) {
    const int limit = GetSpectrineCalibrationLimit();
    vlt::MultiStringValue value;
    if (!value.read("Calibration", "Date", 64)) return 0;
    int month = 0, day = 0, year = 0;
    const char* p = vlt::readIntegerField(value.begin(), value.end(), month);
    p = vlt::readIntegerField(p, value.end(), day);
    vlt::readIntegerField(p, value.end(), year);
    // A date that names no day of the calendar is no date.
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1) return 0;

    SYSTEMTIME now{};
    GetLocalTime(&now);
    const Date today{now.wYear, now.wMonth, now.wDay};
    // Due on the stored date plus the interval; a date in the future is never due.
    const Date due = addMonths(Date{year, month, day}, limit);
    return notBefore(today, due) ? 1 : 0;
}

VLTUTIL_API int WriteSpectrineCalibrationLighting(int index) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", index);
    return WriteSpectrineRegString("Calibration", "Lighting", text);
}

VLTUTIL_API int GetSpectrineCalibrationLighting(void) {
    char text[10];  // at most nine characters
    int n = GetSpectrineRegString("Calibration", "Lighting", text, sizeof text);
    if (n <= 0) return 0;
    int index = 0;
    vlt::readInteger(text, text + n, index);
    return index;
}
