// SWCharStringConv: addresses and 64-bit integers to and from text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/foundation/SWCharStringConv.h"

namespace {

TEST(ToStringPointer, NullIsEmptyAndAddressesHaveSixteenDigits)
{
    EXPECT_TRUE(SWCharStringConv::ToString(static_cast<const void*>(nullptr)).isEmpty());
    EXPECT_EQ(SWCharStringConv::ToString(reinterpret_cast<const void*>(0x12abULL)).toUtf8(), "0x00000000000012AB");
    EXPECT_EQ(SWCharStringConv::ToString(reinterpret_cast<const void*>(~0ULL)).toUtf8(), "0xFFFFFFFFFFFFFFFF");
}

struct ToStringCase {
    int64_t value;
    int radix;
    const char* expected;
};

class ToStringInteger : public ::testing::TestWithParam<ToStringCase> {};

TEST_P(ToStringInteger, RendersInTheRadix)
{
    EXPECT_EQ(SWCharStringConv::ToString(GetParam().value, GetParam().radix).toUtf8(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ToStringInteger,
    ::testing::Values(ToStringCase{0, 10, "0"}, ToStringCase{-1, 10, "-1"}, ToStringCase{1700000000123, 10, "1700000000123"},
                      ToStringCase{INT64_MAX, 10, "9223372036854775807"},
                      ToStringCase{INT64_MIN, 10, "-9223372036854775808"}, ToStringCase{255, 16, "FF"},
                      ToStringCase{INT64_MAX, 16, "7FFFFFFFFFFFFFFF"}, ToStringCase{INT64_MIN, 16, "-8000000000000000"},
                      ToStringCase{5, 2, "101"}, ToStringCase{0, 2, "0"},
                      ToStringCase{INT64_MIN, 2, "-1000000000000000000000000000000000000000000000000000000000000000"},
                      ToStringCase{35, 36, "Z"}, ToStringCase{INT64_MIN, 36, "-1Y2P0IJ32E8E8"},
                      ToStringCase{INT64_MAX, 36, "1Y2P0IJ32E8E7"},
                      // A radix outside 2 .. 36 renders as 10.
                      ToStringCase{-42, 1, "-42"}, ToStringCase{42, 37, "42"}));

struct FromStringCase {
    const char16_t* text;
    int radix;
    bool parses;
    int64_t value;  // the result, or the untouched sentinel when it does not parse
};

constexpr int64_t kSentinel = 0x5EED;

class FromString : public ::testing::TestWithParam<FromStringCase> {};

TEST_P(FromString, ParsesOrLeavesTheValueUnchanged)
{
    int64_t value = kSentinel;
    EXPECT_EQ(SWCharStringConv::FromString(GetParam().text, value, GetParam().radix), GetParam().parses);
    EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FromString,
    ::testing::Values(FromStringCase{u"0", 10, true, 0}, FromStringCase{u"-1", 10, true, -1},
                      FromStringCase{u"+42", 10, true, 42}, FromStringCase{u"1700000000123", 10, true, 1700000000123},
                      FromStringCase{u"9223372036854775807", 10, true, INT64_MAX},
                      FromStringCase{u"-9223372036854775808", 10, true, INT64_MIN},
                      FromStringCase{u"7fffffffffffffff", 16, true, INT64_MAX}, FromStringCase{u"z", 36, true, 35},
                      FromStringCase{u"101", 2, true, 5},
                      // Not numbers: the value stays as it was.
                      FromStringCase{u"", 10, false, kSentinel}, FromStringCase{u"abc", 10, false, kSentinel},
                      FromStringCase{u" 1", 10, false, kSentinel}, FromStringCase{u"1 ", 10, false, kSentinel},
                      FromStringCase{u" ", 10, false, kSentinel}, FromStringCase{u"-", 10, false, kSentinel},
                      FromStringCase{u"+", 10, false, kSentinel}, FromStringCase{u"--1", 10, false, kSentinel},
                      FromStringCase{u"12a", 10, false, kSentinel}, FromStringCase{u"1.5", 10, false, kSentinel},
                      FromStringCase{u"2", 2, false, kSentinel}, FromStringCase{u"0x10", 16, false, kSentinel},
                      FromStringCase{u"9223372036854775808", 10, false, kSentinel},
                      FromStringCase{u"-9223372036854775809", 10, false, kSentinel},
                      FromStringCase{u"99999999999999999999999", 10, false, kSentinel},
                      FromStringCase{u"1", 1, false, kSentinel}, FromStringCase{u"1", 37, false, kSentinel},
                      FromStringCase{nullptr, 10, false, kSentinel}));

TEST(FromStringRoundTrip, EveryRadixReadsBackWhatToStringWrote)
{
    for (int radix = 2; radix <= 36; ++radix)
        for (int64_t value : {INT64_MIN, INT64_MIN + 1, int64_t{-1}, int64_t{0}, int64_t{1}, INT64_MAX}) {
            int64_t back = 0;
            ASSERT_TRUE(SWCharStringConv::FromString(SWCharStringConv::ToString(value, radix), back, radix))
                << "radix " << radix << " value " << value;
            EXPECT_EQ(back, value);
        }
}

}  // namespace
