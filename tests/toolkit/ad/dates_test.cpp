/* Dates of the drawing header: Julian days to calendar dates and back,
 * times of day with rounded seconds, the value that means no date, and the
 * ends of the 32-bit range (run under the sanitizers too). */
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>

#include "toolkit/ad/ad.h"

namespace {

struct Date {
    int d, m, y, h, min, s, ms;
};
Date Decode(int32_t day, int32_t ms)
{
    const int32_t dt[2] = {day, ms};
    Date r{};
    adDecodeAcadDateEx(dt, &r.d, &r.m, &r.y, &r.h, &r.min, &r.s, &r.ms);
    return r;
}

/* The time zone must not matter: run under a far one. */
class Dates : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "Pacific/Kiritimati", 1);
        tzset();
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
    }
};

TEST_F(Dates, CalendarDatesAndJulianDays)
{
    const struct {
        int32_t day;
        int d, m, y;
    } cases[] = {{2447893, 1, 1, 1990}, {2451545, 1, 1, 2000},  {2451604, 29, 2, 2000}, {2451605, 1, 3, 2000},
                 {2415021, 1, 1, 1900}, {2415079, 28, 2, 1900}, {2415080, 1, 3, 1900},  {2440588, 1, 1, 1970},
                 {2460311, 1, 1, 2024}, {2299161, 15, 10, 1582}};
    for (const auto &c : cases) {
        Date r = Decode(c.day, 0);
        EXPECT_EQ(r.d, c.d) << c.day;
        EXPECT_EQ(r.m, c.m) << c.day;
        EXPECT_EQ(r.y, c.y) << c.day;
        int32_t dt[2] = {-1, -1};
        adEncodeAcadDate(c.d, c.m, c.y, 0, 0, 0, dt);
        EXPECT_EQ(dt[0], c.day);
        EXPECT_EQ(dt[1], 0);
    }
    /* every day of four centuries goes there and back */
    for (int32_t day = 2305448; day < 2305448 + 146097; ++day) {
        Date r = Decode(day, 0);
        int32_t dt[2];
        adEncodeAcadDate(r.d, r.m, r.y, 0, 0, 0, dt);
        ASSERT_EQ(dt[0], day);
    }
}

TEST_F(Dates, TimesOfDay)
{
    const struct {
        int32_t ms;
        int h, min, s, part;
        int32_t day;
    } cases[] = {
        {0, 0, 0, 0, 0, 2447893},
        {43199999, 12, 0, 0, 999, 2447893}, /* seconds rounded */
        {43199499, 11, 59, 59, 499, 2447893},
        {3723000, 1, 2, 3, 0, 2447893},
        {86399499, 23, 59, 59, 499, 2447893},
        {86399500, 0, 0, 0, 500, 2447894}, /* carries into the next day */
        {86400000, 0, 0, 0, 0, 2447894},
        {-1000, 23, 59, 59, 0, 2447892},
    };
    for (const auto &c : cases) {
        const int32_t dt[2] = {2447893, c.ms};
        Date r = Decode(2447893, c.ms);
        EXPECT_EQ(r.h, c.h) << c.ms;
        EXPECT_EQ(r.min, c.min) << c.ms;
        EXPECT_EQ(r.s, c.s) << c.ms;
        EXPECT_EQ(r.ms, c.part) << c.ms;
        int32_t days = 0;
        int h = -1, m = -1, s = -1;
        adDecodeAcadTime(dt, &days, &h, &m, &s);
        EXPECT_EQ(days, c.day) << c.ms;
        EXPECT_EQ(h, c.h);
    }
    int32_t dt[2];
    adEncodeAcadDate(1, 1, 1990, 12, 30, 15, dt);
    EXPECT_EQ(dt[0], 2447893);
    EXPECT_EQ(dt[1], 45015000);
    adEncodeAcadDateEx(1, 1, 1990, 23, 59, 59, 999, dt);
    EXPECT_EQ(dt[1], 86399999);
    adEncodeAcadDate(31, 12, 1989, 24, 0, 0, dt); /* midnight at the end of a day */
    EXPECT_EQ(dt[0], 2447893);
    EXPECT_EQ(dt[1], 0);
    adEncodeAcadTime(3, 4, 5, 6, dt);
    EXPECT_EQ(dt[0], 3);
    EXPECT_EQ(dt[1], 14706000);
    adEncodeAcadTimeEx(0, 0, 0, -1, 0, dt); /* a negative time borrows a day */
    EXPECT_EQ(dt[0], -1);
    EXPECT_EQ(dt[1], 86399000);
}

TEST_F(Dates, NoDateAndTheEndsOfTheRange)
{
    Date r = Decode(0, 0);
    EXPECT_EQ(r.d, 1);
    EXPECT_EQ(r.m, 1);
    EXPECT_EQ(r.y, 1990);
    EXPECT_EQ(r.h + r.min + r.s + r.ms, 0);
    int32_t dt[2] = {7, 7};
    adEncodeAcadDate(0, 0, 0, 0, 0, 0, dt);
    EXPECT_EQ(dt[0], 0);
    EXPECT_EQ(dt[1], 0);

    r = Decode(0, 1); /* day 0 with a time is no longer "no date" */
    EXPECT_NE(r.y, 1990);
    EXPECT_EQ(r.ms, 1);
    r = Decode(INT32_MAX, 0);
    EXPECT_GT(r.y, 5000000);
    EXPECT_GE(r.m, 1);
    EXPECT_LE(r.m, 12);
    r = Decode(INT32_MAX, INT32_MAX); /* the carry passes the 32-bit day range */
    EXPECT_GT(r.y, 5000000);
    r = Decode(INT32_MIN, INT32_MIN);
    EXPECT_LT(r.y, -5000000);
    int32_t days = 0;
    const int32_t big[2] = {INT32_MAX, INT32_MAX};
    adDecodeAcadTime(big, &days, nullptr, nullptr, nullptr);
    EXPECT_EQ(days, INT32_MAX); /* saturated */
    adEncodeAcadDate(31, 12, INT_MAX, 0, 0, 0, dt);
    EXPECT_EQ(dt[0], INT32_MAX);
    adDecodeAcadDate(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    adEncodeAcadDate(1, 1, 1990, 0, 0, 0, nullptr);
}

} // namespace
