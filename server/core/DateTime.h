#pragma once

#include <cstdint>
#include <string>

namespace vantor {

// A span of time in whole seconds.
class CTimeDelta {
public:
    constexpr CTimeDelta() = default;
    constexpr explicit CTimeDelta(int32_t seconds) : m_seconds(seconds) {}

    constexpr int32_t TotalSeconds() const { return m_seconds; }
    constexpr int32_t TotalMinutes() const { return m_seconds / 60; }  // toward zero
    constexpr int32_t TotalHours() const { return m_seconds / 3600; }

    constexpr auto operator<=>(const CTimeDelta&) const = default;

private:
    int32_t m_seconds = 0;
};

// A point in time: seconds since 1 January 1970 UTC. 0 or less means "no time".
class CDateTime {
public:
    constexpr CDateTime() = default;
    constexpr explicit CDateTime(int32_t seconds) : m_seconds(seconds) {}

    static CDateTime Now();
    // From a count of 100 ns units since 1 January 1601 (truncated to seconds).
    static CDateTime FromFileTime(int64_t fileTime);

    // Takes the fields as UTC. False (value unchanged) when a field is out of range
    // (day 1-31, month 1-12, year from 1970, hour 0-23, minute and second 0-59) or the
    // time does not fit 32 bits. Day 31 of a shorter month rolls into the next month.
    bool Set(int day, int month, int year, int hour, int minute, int second);

    // Local time formatted with strftime rules; "" when there is no time.
    std::string Format(const std::string& pattern) const;

    constexpr int32_t Seconds() const { return m_seconds; }
    constexpr bool IsSet() const { return m_seconds > 0; }

    constexpr CTimeDelta operator-(const CDateTime& other) const {
        return CTimeDelta(m_seconds - other.m_seconds);
    }
    constexpr CDateTime operator+(const CTimeDelta& delta) const {
        return CDateTime(m_seconds + delta.TotalSeconds());
    }
    constexpr auto operator<=>(const CDateTime&) const = default;

private:
    int32_t m_seconds = 0;
};

}  // namespace vantor
