// SWCharString and SIArray.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/foundation/SIArray.h"
#include "platform/foundation/SString.h"

namespace {

const char16_t* const kNull = nullptr;

TEST(SWCharString, NullPointerIsTheEmptyTextEverywhere)
{
    EXPECT_TRUE(SWCharString(kNull).isEmpty());
    SWCharString s(u"was set");
    s = kNull;
    EXPECT_TRUE(s.isEmpty());
    EXPECT_TRUE(s == kNull);
    EXPECT_TRUE(s == u"");
    EXPECT_EQ(static_cast<const char16_t*>(s)[0], u'\0');
    s += SWCharString(u"ab");
    s += u"cd";
    s += kNull;
    s += u'e';
    EXPECT_EQ(s.str(), u"abcde");
    EXPECT_TRUE(s != u"abcd");
}

struct NoCaseCase {
    const char16_t* left;
    const char16_t* right;
    int expected;
};

class CompareNoCase : public ::testing::TestWithParam<NoCaseCase> {};

TEST_P(CompareNoCase, ComparesIgnoringAsciiCase)
{
    EXPECT_EQ(SWCharString(GetParam().left).compareNoCase(GetParam().right), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareNoCase,
                         ::testing::Values(NoCaseCase{u"abc", u"ABC", 0}, NoCaseCase{u"", nullptr, 0},
                                           NoCaseCase{u" ", u"", 1}, NoCaseCase{u"", u" ", -1},
                                           NoCaseCase{u"abc", u"ABD", -1}, NoCaseCase{u"abd", u"ABC", 1},
                                           NoCaseCase{u"ab", u"abc", -1}, NoCaseCase{u"Z", u"a", 1},
                                           // Only ASCII letters are folded.
                                           NoCaseCase{u"\u00E9", u"\u00C9", 1}, NoCaseCase{u"[", u"{", -1}));

TEST(SIArray, KeepsOrderCopiesByValueAndChecksIndexes)
{
    SIntArray ids;
    EXPECT_EQ(ids.append(7), 0u);
    EXPECT_EQ(ids.append(-1), 1u);
    const SIntArray copy = ids;
    ids.append(3);
    ASSERT_EQ(copy.count(), 2u);
    EXPECT_EQ(copy[0], 7);
    EXPECT_EQ(copy[1], -1);
    EXPECT_THROW(copy[2], std::out_of_range);
    EXPECT_THROW(copy[static_cast<std::size_t>(-1)], std::out_of_range);
}

}  // namespace
