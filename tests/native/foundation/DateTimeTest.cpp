// Leap days, saturation at the ends of the range, the one format in use.
#include <gtest/gtest.h>

#include "platform/foundation/SDateTime.h"

namespace {

std::string format(const SDateTime& t) { return t.Format(u"MMM dd yyyy HH:mm:ss", STimeZone::TZ_UTC).toUtf8(); }

TEST(SDateTime, TheEpochPlusACountRendersInUtc)
{
    const SDateTime epoch(1970, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC);
    const std::pair<int64_t, const char*> cases[] = {{0, "Jan 01 1970 00:00:00"},
                                                     {-1, "Dec 31 1969 23:59:59"},
                                                     {1700000000123, "Nov 14 2023 22:13:20"},
                                                     {-2208988800000, "Jan 01 1900 00:00:00"},
                                                     {-2203891200001, "Feb 28 1900 23:59:59"},
                                                     {951868799999, "Feb 29 2000 23:59:59"},
                                                     {1078012800000, "Feb 29 2004 00:00:00"},
                                                     {INT64_MAX, "Aug 17 292278994 07:12:55"},
                                                     {INT64_MIN, "May 16 -292275055 16:47:04"}};
    for (const auto& [count, expected] : cases) EXPECT_EQ(format(epoch + STimeSpan(count)), expected) << count;
    EXPECT_EQ((SDateTime::fromMillisecondsSinceEpoch(1) + STimeSpan(INT64_MAX)).millisecondsSinceEpoch(), INT64_MAX);
    EXPECT_EQ((SDateTime::fromMillisecondsSinceEpoch(-2) + STimeSpan(INT64_MIN)).millisecondsSinceEpoch(), INT64_MIN);
}

}  // namespace
