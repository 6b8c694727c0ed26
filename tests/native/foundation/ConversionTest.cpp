// SWCharStringConv: addresses and 64-bit integers to and from text.
#include <gtest/gtest.h>

#include <cstdint>

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

INSTANTIATE_TEST_SUITE_P(Values, ToStringInteger,
                         ::testing::Values(ToStringCase{0, 10, "0"}, ToStringCase{-1, 10, "-1"},
                                           ToStringCase{INT64_MAX, 10, "9223372036854775807"},
                                           ToStringCase{INT64_MIN, 10, "-9223372036854775808"},
                                           ToStringCase{INT64_MIN, 16, "-8000000000000000"},
                                           ToStringCase{35, 36, "Z"},
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

FromStringCase bad(const char16_t* text, int radix = 10) { return FromStringCase{text, radix, false, kSentinel}; }

INSTANTIATE_TEST_SUITE_P(
    Texts, FromString,
    ::testing::Values(FromStringCase{u"0", 10, true, 0}, FromStringCase{u"-1", 10, true, -1},
                      FromStringCase{u"+42", 10, true, 42}, FromStringCase{u"1700000000123", 10, true, 1700000000123},
                      FromStringCase{u"9223372036854775807", 10, true, INT64_MAX},
                      FromStringCase{u"-9223372036854775808", 10, true, INT64_MIN},
                      FromStringCase{u"7fffffffffffffff", 16, true, INT64_MAX}, FromStringCase{u"z", 36, true, 35},
                      FromStringCase{u"101", 2, true, 5},
                      // Not numbers: the value stays as it was.
                      bad(u""), bad(u"abc"), bad(u" 1"), bad(u"1 "), bad(u" "), bad(u"-"), bad(u"+"), bad(u"--1"),
                      bad(u"12a"), bad(u"1.5"), bad(u"2", 2), bad(u"0x10", 16), bad(u"9223372036854775808"),
                      bad(u"-9223372036854775809"), bad(u"99999999999999999999999"), bad(u"1", 1), bad(u"1", 37),
                      bad(nullptr)));

}  // namespace
