// SDateTime and STimeSpan: millisecond counts since the epoch, saturation, and
// the one format the system uses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/foundation/SDateTime.h"

namespace {

std::string format(const SDateTime& t) { return t.Format(u"MMM dd yyyy HH:mm:ss", STimeZone::TZ_UTC).toUtf8(); }

struct CountCase {
    int64_t count;
    const char* expected;
};

class FormatCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(FormatCount, EpochPlusCountInUtc)
{
    const SDateTime epoch(1970, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC);
    EXPECT_EQ(format(epoch + STimeSpan(GetParam().count)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, FormatCount,
                         ::testing::Values(CountCase{0, "Jan 01 1970 00:00:00"}, CountCase{-1, "Dec 31 1969 23:59:59"},
                                           CountCase{1700000000123, "Nov 14 2023 22:13:20"},
                                           CountCase{-2208988800000, "Jan 01 1900 00:00:00"},
                                           // Leap days: 2000 (divisible by 400) and 2004 have one, 1900 none.
                                           CountCase{-2203891200001, "Feb 28 1900 23:59:59"},
                                           CountCase{951868799999, "Feb 29 2000 23:59:59"},
                                           CountCase{1078012800000, "Feb 29 2004 00:00:00"},
                                           CountCase{INT64_MAX, "Aug 17 292278994 07:12:55"},
                                           CountCase{INT64_MIN, "May 16 -292275055 16:47:04"}));

TEST(SDateTime, AdditionSaturatesAtTheEndsOfTheRange)
{
    EXPECT_EQ((SDateTime::fromMillisecondsSinceEpoch(1) + STimeSpan(INT64_MAX)).millisecondsSinceEpoch(), INT64_MAX);
    const SDateTime early = SDateTime::fromMillisecondsSinceEpoch(-2) + STimeSpan(INT64_MIN);
    EXPECT_EQ(early.millisecondsSinceEpoch(), INT64_MIN);
    EXPECT_EQ(format(early), "May 16 -292275055 16:47:04");
}

}  // namespace
