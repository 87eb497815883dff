#include "server/core/DateTime.h"

#include <gtest/gtest.h>

#include <cctype>

#include "server/core/MachineIdentity.h"

namespace vantor {
namespace {

TEST(DateTime, SetChecksRangesAndConvertsAsUtc) {
    const struct {
        int day, month, year, hour, minute, second;
        bool accepted;
        int32_t seconds;
    } cases[] = {
        {1, 1, 1970, 0, 0, 0, true, 0},
        {2, 1, 1970, 0, 0, 1, true, 86401},
        {29, 2, 2000, 12, 0, 0, true, 951825600},
        {31, 2, 2006, 0, 0, 0, true, 1141344000},  // rolls into 3 March
        {19, 1, 2038, 3, 14, 7, true, 2147483647},
        {19, 1, 2038, 3, 14, 8, false, 0},
        {1, 1, 1969, 0, 0, 0, false, 0},
        {0, 1, 2000, 0, 0, 0, false, 0},
        {32, 1, 2000, 0, 0, 0, false, 0},
        {1, 13, 2000, 0, 0, 0, false, 0},
        {1, 1, 2000, 24, 0, 0, false, 0},
        {1, 1, 2000, 0, 60, 0, false, 0},
        {1, 1, 2000, 0, 0, 60, false, 0},
    };
    for (const auto& c : cases) {
        CDateTime value(-5);
        EXPECT_EQ(value.Set(c.day, c.month, c.year, c.hour, c.minute, c.second), c.accepted)
            << c.day << "." << c.month << "." << c.year;
        EXPECT_EQ(value.Seconds(), c.accepted ? c.seconds : -5);
    }
}

TEST(DateTime, FileTimeFormatAndSpans) {
    EXPECT_EQ(CDateTime::FromFileTime(116444736000000000LL).Seconds(), 0);
    EXPECT_EQ(CDateTime::FromFileTime(116444736000000000LL + 10000000LL * 86400).Seconds(), 86400);
    EXPECT_EQ(CDateTime(0).Format("%Y"), "");
    EXPECT_EQ(CDateTime(-1).Format("%Y"), "");
    EXPECT_EQ(CDateTime(86400 * 400).Format("%Y"), "1971");
    EXPECT_EQ(CTimeDelta(-5399).TotalHours(), -1);
    EXPECT_EQ(CTimeDelta(-90).TotalMinutes(), -1);
    EXPECT_EQ((CDateTime(100) - CDateTime(3700)).TotalHours(), -1);
}

TEST(MachineIdentity, TextsHaveTheirShape) {
    const std::string serial = GetVolumeSerial();
    ASSERT_FALSE(serial.empty());
    for (char c : serial) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << serial;
    const std::string address = GetAdapterAddress();
    if (!address.empty()) {
        ASSERT_EQ(address.size(), 12u);
        for (char c : address) {
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'))
                << address;
        }
    }
}

}  // namespace
}  // namespace vantor
