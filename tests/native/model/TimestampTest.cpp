// Rendering timestamp counts (milliseconds since 1970-01-01 UTC) as text.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "tests/native/model/ModelTestSupport.h"

namespace {

class FormatTimestamp : public ::testing::TestWithParam<std::pair<int64_t, const char*>> {};

TEST_P(FormatTimestamp, RendersMonthDayYearTimeInUtc)
{
    const auto& [count, expected] = GetParam();
    EXPECT_EQ(model_test::utf8(lumocommentaryservice_nexa_api::Comment::formatTimestamp(count)), expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, FormatTimestamp,
                         ::testing::Values(std::make_pair(int64_t{0}, "Jan 01 1970 00:00:00"),
                                           std::make_pair(int64_t{-1}, "Dec 31 1969 23:59:59"),
                                           std::make_pair(int64_t{1700000000123}, "Nov 14 2023 22:13:20"),
                                           std::make_pair(int64_t{951782400000}, "Feb 29 2000 00:00:00"),
                                           std::make_pair(INT64_MIN, "May 16 -292275055 16:47:04")));

}  // namespace
