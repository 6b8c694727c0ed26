// SDateTime, STimeSpan and STimeZone: millisecond counts, saturation, formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/foundation/SDateTime.h"

namespace {

const char16_t* const kPattern = u"MMM dd yyyy HH:mm:ss";

SDateTime epoch() { return SDateTime(1970, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC); }

std::string format(const SDateTime& t, const char16_t* pattern = kPattern, const STimeZone& zone = STimeZone::TZ_UTC)
{
    return t.Format(pattern, zone).toUtf8();
}

struct CountCase {
    int64_t count;
    const char* expected;
};

class FormatCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(FormatCount, EpochPlusCountInUtc)
{
    EXPECT_EQ(format(epoch() + STimeSpan(GetParam().count)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, FormatCount,
                         ::testing::Values(CountCase{0, "Jan 01 1970 00:00:00"}, CountCase{-1, "Dec 31 1969 23:59:59"},
                                           CountCase{1700000000123, "Nov 14 2023 22:13:20"},
                                           CountCase{9999999999999, "Nov 20 2286 17:46:39"},
                                           CountCase{-2208988800000, "Jan 01 1900 00:00:00"},
                                           // Leap days: 2000 (divisible by 400) and 2004 have one.
                                           CountCase{951782400000, "Feb 29 2000 00:00:00"},
                                           CountCase{951868799999, "Feb 29 2000 23:59:59"},
                                           CountCase{1078012800000, "Feb 29 2004 00:00:00"},
                                           CountCase{INT64_MAX, "Aug 17 292278994 07:12:55"},
                                           CountCase{INT64_MIN, "May 16 -292275055 16:47:04"}));

TEST(SDateTime, AdditionSaturatesAtTheEndsOfTheRange)
{
    const SDateTime late = SDateTime::fromMillisecondsSinceEpoch(1) + STimeSpan(INT64_MAX);
    EXPECT_EQ(late.millisecondsSinceEpoch(), INT64_MAX);
    const SDateTime early = SDateTime::fromMillisecondsSinceEpoch(-2) + STimeSpan(INT64_MIN);
    EXPECT_EQ(early.millisecondsSinceEpoch(), INT64_MIN);
    EXPECT_EQ(format(early), "May 16 -292275055 16:47:04");
}

TEST(SDateTime, FebruaryOf1900And2100HasNoLeapDay)
{
    EXPECT_EQ(format(SDateTime(1900, 2, 29, 0, 0, 0, 0, STimeZone::TZ_UTC)), "Mar 01 1900 00:00:00");
    EXPECT_EQ(format(SDateTime(2100, 2, 29, 0, 0, 0, 0, STimeZone::TZ_UTC)), "Mar 01 2100 00:00:00");
    EXPECT_EQ(format(SDateTime(2024, 2, 29, 0, 0, 0, 0, STimeZone::TZ_UTC)), "Feb 29 2024 00:00:00");
}

TEST(SDateTime, FieldsOutOfRangeRollOver)
{
    EXPECT_EQ(format(SDateTime(2023, 13, 1, 0, 0, 0, 0, STimeZone::TZ_UTC)), "Jan 01 2024 00:00:00");
    EXPECT_EQ(format(SDateTime(2024, 0, 1, 0, 0, 0, 0, STimeZone::TZ_UTC)), "Dec 01 2023 00:00:00");
    EXPECT_EQ(format(SDateTime(2023, 1, 1, 24, 0, 60, 0, STimeZone::TZ_UTC)), "Jan 02 2023 00:01:00");
}

TEST(SDateTime, ZonesShiftTheWallClock)
{
    const STimeZone plusTwo(120);
    const SDateTime t(1970, 1, 1, 2, 0, 0, 0, plusTwo);
    EXPECT_EQ(t.millisecondsSinceEpoch(), 0);
    EXPECT_EQ(format(t, kPattern, plusTwo), "Jan 01 1970 02:00:00");
    EXPECT_EQ(format(epoch(), kPattern, STimeZone(-90)), "Dec 31 1969 22:30:00");
}

struct PatternCase {
    const char16_t* pattern;
    const char* expected;
};

class FormatPattern : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FormatPattern, RendersTheLetters)
{
    const SDateTime t(2004, 3, 7, 5, 4, 9, 45, STimeZone::TZ_UTC);
    EXPECT_EQ(format(t, GetParam().pattern), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FormatPattern,
                         ::testing::Values(PatternCase{u"yyyy-MM-dd HH:mm:ss.fff", "2004-03-07 05:04:09.045"},
                                           PatternCase{u"yy M d H m s", "04 3 7 5 4 9"},
                                           PatternCase{u"'at' HH 'o''clock'", "at 05 oclock"},
                                           PatternCase{u"dd/MMM/yyyy", "07/Mar/2004"}, PatternCase{u"", ""},
                                           PatternCase{nullptr, ""}));

TEST(SDateTime, ExtremeFieldsSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(SDateTime(INT32_MAX, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC).millisecondsSinceEpoch(), INT64_MAX);
    EXPECT_EQ(SDateTime(INT32_MIN, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC).millisecondsSinceEpoch(), INT64_MIN);
    EXPECT_EQ(SDateTime(1970, INT32_MIN, 1, 0, 0, 0, 0, STimeZone::TZ_UTC).millisecondsSinceEpoch(),
              SDateTime(1970 - 178956971, 4, 1, 0, 0, 0, 0, STimeZone::TZ_UTC).millisecondsSinceEpoch());
}

}  // namespace
