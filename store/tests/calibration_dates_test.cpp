// The calibration date, the recalibration test and the room-lighting choice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fresh_root.h"
#include "vltutil.h"

namespace {

using spx::test::FreshRootTest;

class CalibrationDates : public FreshRootTest {
protected:
    void TearDown() override {
        unsetenv("SPECTRINE_FAKE_TIME");
        FreshRootTest::TearDown();
    }
    static void today(const char* isoDate) {
        setenv("SPECTRINE_FAKE_TIME", (std::string(isoDate) + "T12:00:00").c_str(), 1);
    }
    static void storeDate(const std::string& month, const std::string& day, const std::string& year) {
        std::string image = month + '\0' + day + '\0' + year + '\0' + '\0';
        ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Date", REG_MULTI_SZ,
                                         reinterpret_cast<const BYTE*>(image.data()),
                                         static_cast<DWORD>(image.size())),
                  ERROR_SUCCESS);
    }
    static std::string raw(const char* name, DWORD* type) {
        char buf[256];
        DWORD size = sizeof buf;
        *type = 0xdeadbeef;
        if (GetSpectrineRegValue("Calibration", name, type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
            return "<absent>";
        return std::string(buf, size);
    }
};

TEST_F(CalibrationDates, DateIsStoredAsMonthDayYear) {
    today("2026-03-05");
    ASSERT_EQ(WriteSpectrineCalibrationDate(), 1);
    DWORD type;
    EXPECT_EQ(raw("Date", &type), std::string("03\0" "05\0" "2026\0\0", 12));
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));

    today("1999-12-31");
    ASSERT_EQ(WriteSpectrineCalibrationDate(), 1);
    EXPECT_EQ(raw("Date", &type), std::string("12\0" "31\0" "1999\0\0", 12));
}

TEST_F(CalibrationDates, DueWhenTheIntervalHasPassedInWholeDates) {
    struct Case {
        const char* name;
        int limit;  // -1: no "TimeToRecalibrate" (6 months)
        const char *month, *day, *year;
        const char* today;
        int outdated;
    } cases[] = {
        {"18 months, later day", -1, "03", "15", "2025", "2026-09-20", 1},
        {"6 months less 5 days", -1, "03", "15", "2026", "2026-09-10", 0},
        {"exactly 6 months", -1, "03", "15", "2026", "2026-09-15", 1},
        {"one day short", -1, "03", "15", "2026", "2026-09-14", 0},
        {"more months, earlier day", -1, "01", "31", "2025", "2026-03-01", 1},
        {"31st into a 28-day month", -1, "08", "31", "2025", "2026-02-28", 1},
        {"the day before", -1, "08", "31", "2025", "2026-02-27", 0},
        {"31st into a leap February", -1, "08", "31", "2023", "2024-02-29", 1},
        {"leap February, day before", -1, "08", "31", "2023", "2024-02-28", 0},
        {"across the year", 3, "11", "30", "2025", "2026-02-28", 1},
        {"across the year, short", 3, "11", "30", "2025", "2026-02-27", 0},
        {"limit above 12 reads 12", 20, "01", "10", "2025", "2026-01-10", 1},
        {"limit 12, day before", 20, "01", "10", "2025", "2026-01-09", 0},
        {"limit 0: due the same day", 0, "06", "01", "2026", "2026-06-01", 1},
        {"a future date is never due", -1, "01", "01", "2030", "2026-06-01", 0},
        {"tomorrow with limit 0", 0, "06", "02", "2026", "2026-06-01", 0},
        {"unpadded numbers", -1, "3", "5", "2020", "2026-06-01", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.limit >= 0) {
            DWORD v = static_cast<DWORD>(c.limit);
            ASSERT_EQ(WriteSpectrineRegValue("Settings", "TimeToRecalibrate", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
                      ERROR_SUCCESS);
        } else {
            WriteSpectrineRegValue("Settings", "TimeToRecalibrate", REG_DWORD, nullptr, 0);
        }
        storeDate(c.month, c.day, c.year);
        today(c.today);
        EXPECT_EQ(IsSpectrineCalibrationOutdated(), c.outdated);
    }
}

TEST_F(CalibrationDates, DateJustWrittenIsNotDue) {
    today("2026-07-31");
    ASSERT_EQ(WriteSpectrineCalibrationDate(), 1);
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    today("2027-01-30");
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    today("2027-01-31");
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 1);
}

TEST_F(CalibrationDates, MissingOrUnreadableDatesAreNotDue) {
    today("2026-06-01");
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0) << "no date";
    struct Case {
        const char *month, *day, *year;
    } garbage[] = {{"13", "01", "2020"}, {"00", "01", "2020"}, {"01", "00", "2020"}, {"01", "32", "2020"},
                   {"01", "01", "0"},    {"ab", "01", "2020"}, {"", "", ""},         {"1,2", "", "2020"}};
    for (const Case& c : garbage) {
        SCOPED_TRACE(testing::Message() << c.month << "/" << c.day << "/" << c.year);
        storeDate(c.month, c.day, c.year);
        EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    }
    // Of another type, or longer than a date record can be.
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Date", "01/01/2000"), 1);
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    storeDate("01", "01", "2000" + std::string(70, '0'));
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
    // A month only: the day reads as 0.
    const char one[] = "01\0";
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Date", REG_MULTI_SZ, reinterpret_cast<const BYTE*>(one), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(IsSpectrineCalibrationOutdated(), 0);
}

TEST_F(CalibrationDates, Lighting) {
    EXPECT_EQ(GetSpectrineCalibrationLighting(), 0) << "absent";
    ASSERT_EQ(WriteSpectrineCalibrationLighting(3), 1);
    DWORD type;
    EXPECT_EQ(raw("Lighting", &type), std::string("3\0", 2));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(GetSpectrineCalibrationLighting(), 3);
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Lighting", "123456789"), 1);
    EXPECT_EQ(GetSpectrineCalibrationLighting(), 123456789) << "nine characters";
    ASSERT_EQ(WriteSpectrineRegString("Calibration", "Lighting", "1234567890"), 1);
    EXPECT_EQ(GetSpectrineCalibrationLighting(), 0) << "ten characters are too many";
    DWORD v = 4;
    ASSERT_EQ(WriteSpectrineRegValue("Calibration", "Lighting", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(GetSpectrineCalibrationLighting(), 0) << "not text";
}

}  // namespace
