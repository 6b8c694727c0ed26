#include <gtest/gtest.h>

#include "platform/foundation/SWCharStringConv.h"

// The decimal texts of timestamps (the only radix the system uses); a text
// that is not a whole decimal number leaves the value as it was.
TEST(SWCharStringConv, DecimalTextsBothWays)
{
    for (const int64_t value : {INT64_C(0), INT64_C(-1), INT64_C(1700000000123), INT64_MAX, INT64_MIN}) {
        int64_t back = 5;
        EXPECT_TRUE(SWCharStringConv::FromString(SWCharStringConv::ToString(value, 10).c_str(), back, 10));
        EXPECT_EQ(SWCharStringConv::ToString(value, 10).toUtf8() + "=" + std::to_string(back),
                  std::to_string(value) + "=" + std::to_string(value));
    }
    for (const char16_t* text : {u"", u" 1", u"1 ", u"-", u"--1", u"12a", u"1.5", u"0x10", u"9223372036854775808",
                                 u"-9223372036854775809", static_cast<const char16_t*>(nullptr)}) {
        int64_t value = 0x5EED;
        EXPECT_FALSE(SWCharStringConv::FromString(text, value, 10));
        EXPECT_EQ(value, 0x5EED);
    }
    int64_t value = 0;
    EXPECT_TRUE(SWCharStringConv::FromString(u"+42", value, 10) && value == 42);
}
