/* Dates and times of the drawing header: a date-time is two 32-bit
 * integers, the Julian day number and the milliseconds since midnight;
 * (0, 0) stands for no date and decodes as 1 January 1990, 00:00:00.
 *
 * The calendar arithmetic runs in 64 bits, so any day number of the 32-bit
 * range converts without overflow (years far outside history come out as
 * the formula gives them). A time of day is normalised into 0 to 86,399,999
 * ms first, moving whole days into the day number; whole seconds are
 * rounded, so 86,399,500 ms and more carry into the next day. */
#include "toolkit/ad/ad_int.h"

#include <climits>

namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr int32_t kJan1st1990 = 2447893;

int64_t julian(int64_t d, int64_t m, int64_t y)
{
    if (m < 3) {
        m += 9;
        y -= 1;
    } else {
        m -= 3;
    }
    const int64_t c = y / 100;
    const int64_t r = y - 100 * c;
    return (146097 * c) / 4 + (1461 * r) / 4 + (153 * m + 2) / 5 + d + 1721119;
}

void gregorian(int64_t day, int64_t *dd, int64_t *mm, int64_t *yy)
{
    int64_t j = 4 * (day - 1721119) - 1;
    int64_t y = j / 146097;
    j -= 146097 * y;
    int64_t d = j / 4;
    j = (4 * d + 3) / 1461;
    d = (4 * d + 3 - 1461 * j + 4) / 4;
    int64_t m = (5 * d - 3) / 153;
    d = (5 * d - 3 - 153 * m + 5) / 5;
    y = 100 * y + j;
    if (m < 10) {
        m += 3;
    } else {
        m -= 9;
        y += 1;
    }
    *dd = d;
    *mm = m;
    *yy = y;
}

int narrow(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v); }
int32_t narrow32(int64_t v)
{
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
}

struct Split {
    int64_t day;
    int hour, minute, second, ms;
};

/* The day (with the carry of the time) and the time of day of a value. */
Split split(const int32_t *dt)
{
    int64_t day = dt[0], t = dt[1];
    int64_t q = t / kMsPerDay;
    t -= q * kMsPerDay;
    if (t < 0) {
        t += kMsPerDay;
        --q;
    }
    day += q;
    Split s;
    s.ms = static_cast<int>(t % 1000);
    int64_t secs = static_cast<int64_t>(static_cast<double>(t) / 1000.0 + 0.5);
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    s.day = day;
    s.hour = static_cast<int>(secs / 3600);
    s.minute = static_cast<int>((secs - 3600 * s.hour) / 60);
    s.second = static_cast<int>(secs - 3600 * s.hour - 60 * s.minute);
    return s;
}

template <typename T> void set(T *p, int64_t v)
{
    if (p) *p = static_cast<T>(narrow(v));
}

} // namespace

extern "C" {

void adDecodeAcadDateEx(const int32_t *datetime, int *day, int *month, int *year, int *hour, int *minute,
                        int *second, int *ms)
{
    static const int32_t none[2] = {kJan1st1990, 0};
    if (!datetime || (datetime[0] == 0 && datetime[1] == 0)) datetime = none;
    const Split s = split(datetime);
    int64_t d, m, y;
    gregorian(s.day, &d, &m, &y);
    set(day, d);
    set(month, m);
    set(year, y);
    set(hour, s.hour);
    set(minute, s.minute);
    set(second, s.second);
    set(ms, s.ms);
}

void adDecodeAcadDate(const int32_t *datetime, int *day, int *month, int *year, int *hour, int *minute,
                      int *second)
{
    adDecodeAcadDateEx(datetime, day, month, year, hour, minute, second, nullptr);
}

void adDecodeAcadTime(const int32_t *datetime, int32_t *days, int *hours, int *minutes, int *seconds)
{
    static const int32_t zero[2] = {0, 0};
    const Split s = split(datetime ? datetime : zero);
    if (days) *days = narrow32(s.day);
    set(hours, s.hour);
    set(minutes, s.minute);
    set(seconds, s.second);
}

void adEncodeAcadDateEx(int day, int month, int year, int hour, int minute, int second, int ms,
                        int32_t *datetime)
{
    if (!datetime) return;
    if (!day && !month && !year && !hour && !minute && !second && !ms) {
        datetime[0] = datetime[1] = 0;
        return;
    }
    const int32_t t[2] = {narrow32(julian(day, month, year)),
                          narrow32(3600000LL * hour + 60000LL * minute + 1000LL * second + ms)};
    /* a time beyond one day moves into the day number */
    int64_t dayno = t[0], tod = t[1];
    int64_t q = tod / kMsPerDay;
    tod -= q * kMsPerDay;
    if (tod < 0) {
        tod += kMsPerDay;
        --q;
    }
    datetime[0] = narrow32(dayno + q);
    datetime[1] = static_cast<int32_t>(tod);
}

void adEncodeAcadDate(int day, int month, int year, int hour, int minute, int second, int32_t *datetime)
{
    adEncodeAcadDateEx(day, month, year, hour, minute, second, 0, datetime);
}

void adEncodeAcadTimeEx(int32_t days, int hours, int minutes, int seconds, int ms, int32_t *datetime)
{
    if (!datetime) return;
    int64_t tod = 3600000LL * hours + 60000LL * minutes + 1000LL * seconds + ms;
    int64_t q = tod / kMsPerDay;
    tod -= q * kMsPerDay;
    if (tod < 0) {
        tod += kMsPerDay;
        --q;
    }
    datetime[0] = narrow32(static_cast<int64_t>(days) + q);
    datetime[1] = static_cast<int32_t>(tod);
}

void adEncodeAcadTime(int32_t days, int hours, int minutes, int seconds, int32_t *datetime)
{
    adEncodeAcadTimeEx(days, hours, minutes, seconds, 0, datetime);
}

} // extern "C"
