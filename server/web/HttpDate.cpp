#include "server/web/HttpDate.h"

#include <strings.h>

#include <cstdio>
#include <ctime>

namespace vantor {

namespace {

constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int MonthIndex(const char* name) {
    for (int i = 0; i < 12; ++i) {
        if (strncasecmp(name, kMonths[i], 3) == 0 && name[3] == '\0') return i;
    }
    return -1;
}

std::optional<int64_t> ToUtcSeconds(int year, int month, int day, int hour, int minute,
                                    int second) {
    if (month < 0 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60 || year < 1900) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return static_cast<int64_t>(timegm(&tm));
}

}  // namespace

std::string FormatHttpDate(int64_t utcSeconds) {
    std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday],
                  tm.tm_mday, kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                  tm.tm_sec);
    return text;
}

std::optional<int64_t> ParseIfModifiedSince(std::string_view value) {
    // Every space becomes ';' so that each single space in the patterns must match exactly
    // one space of the value (scanf would otherwise skip any run of white space).
    std::string text(value.substr(0, 100));
    for (char& c : text) {
        if (c == ' ') c = ';';
    }
    char weekday[16] = {};
    char month[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;

    // Sun, 06 Nov 1994 08:49:37 GMT
    if (std::sscanf(text.c_str(), "%3s,;%2d;%3s;%4d;%2d:%2d:%2d;GMT", weekday, &day, month, &year,
                    &hour, &minute, &second) == 7) {
        return ToUtcSeconds(year, MonthIndex(month), day, hour, minute, second);
    }
    // Sunday, 06-Nov-94 08:49:37 GMT
    if (std::sscanf(text.c_str(), "%15[^,],;%2d-%3s-%2d;%2d:%2d:%2d;GMT", weekday, &day, month,
                    &year, &hour, &minute, &second) == 7) {
        year += year < 70 ? 2000 : 1900;
        return ToUtcSeconds(year, MonthIndex(month), day, hour, minute, second);
    }
    // Sun Nov 16 08:49:37 1994
    if (std::sscanf(text.c_str(), "%3s;%3s;%2d;%2d:%2d:%2d;%4d", weekday, month, &day, &hour,
                    &minute, &second, &year) == 7) {
        return ToUtcSeconds(year, MonthIndex(month), day, hour, minute, second);
    }
    return std::nullopt;
}

}  // namespace vantor
