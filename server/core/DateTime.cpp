#include "server/core/DateTime.h"

#include <ctime>
#include <limits>
#include <vector>

namespace vantor {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

}  // namespace

CDateTime CDateTime::Now() {
    return CDateTime(static_cast<int32_t>(std::time(nullptr)));
}

CDateTime CDateTime::FromFileTime(int64_t fileTime) {
    return CDateTime(static_cast<int32_t>((fileTime - 116444736000000000LL) / 10000000LL));
}

bool CDateTime::Set(int day, int month, int year, int hour, int minute, int second) {
    if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1970 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    // Day overflow (31 February) is carried by counting days, like a normalising mktime.
    const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), 1) + (day - 1);
    const int64_t seconds = days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second;
    if (seconds > std::numeric_limits<int32_t>::max()) return false;
    m_seconds = static_cast<int32_t>(seconds);
    return true;
}

std::string CDateTime::Format(const std::string& pattern) const {
    if (m_seconds <= 0 || pattern.empty()) return "";
    const std::time_t time = m_seconds;
    std::tm local{};
    localtime_r(&time, &local);
    std::vector<char> buffer(pattern.size() * 4 + 64);
    const size_t length = std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &local);
    return std::string(buffer.data(), length);
}

}  // namespace vantor
