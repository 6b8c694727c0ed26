#include <gtest/gtest.h>

#include "platform/foundation/SString.h"
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

// ASCII runs are copied in bulk, everything else a code point at a time; the
// cases put each kind of unit at the start, the end and between runs.
TEST(Utf16ToUtf8, AsciiRunsAndOtherUnitsInEveryPosition)
{
    const struct {
        std::u16string utf16;
        std::string utf8;
    } cases[] = {
        {u"", ""},
        {u"plain text", "plain text"},
        {u"\x7F\x80", "\x7F\xC2\x80"},
        {u"\u00E9t\u00E9", "\xC3\xA9t\xC3\xA9"},
        {u"ab\u20AC", "ab\xE2\x82\xAC"},
        {u"\U0001D11E", "\xF0\x9D\x84\x9E"},
        {u"x\xD834", "x\xEF\xBF\xBD"},           // a high surrogate last
        {u"\xDD1Ey", "\xEF\xBF\xBDy"},           // a low surrogate first
        {u"a\xD834\xD834\xDD1E" u"b", "a\xEF\xBF\xBD\xF0\x9D\x84\x9E" "b"},
    };
    // ASCII around each case moves it across the bulk copy's blocks of 8.
    for (const auto& c : cases)
        for (const std::size_t pad : {0, 1, 7, 8, 9, 16, 17}) {
            const std::u16string before(pad, u'<'), after(pad + 3, u'>');
            EXPECT_EQ(lumoUtf16ToUtf8(before + c.utf16 + after),
                      std::string(pad, '<') + c.utf8 + std::string(pad + 3, '>'))
                << lumoUtf16ToUtf8(c.utf16) << " after " << pad;
        }
}
