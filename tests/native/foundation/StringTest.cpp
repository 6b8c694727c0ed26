// SWCharString and SIArray.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/foundation/SIArray.h"
#include "platform/foundation/SString.h"

namespace {

const char16_t* const kNull = nullptr;

TEST(SWCharString, NullPointerIsTheEmptyText)
{
    SWCharString fromNull(kNull);
    EXPECT_TRUE(fromNull.isEmpty());
    SWCharString assigned(u"was set");
    assigned = kNull;
    EXPECT_TRUE(assigned.isEmpty());
    EXPECT_EQ(assigned.length(), 0u);
    EXPECT_TRUE(assigned == kNull);
    EXPECT_TRUE(assigned == u"");
    EXPECT_EQ(static_cast<const char16_t*>(assigned)[0], u'\0');
}

TEST(SWCharString, AppendStringPointerAndCharacter)
{
    SWCharString s(u"ab");
    s += SWCharString(u"cd");
    s += u"ef";
    s += kNull;
    s += u'g';
    EXPECT_EQ(s.str(), u"abcdefg");
    EXPECT_TRUE(s == u"abcdefg");
    EXPECT_TRUE(s != u"abcdef");
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
                         ::testing::Values(NoCaseCase{u"abc", u"ABC", 0}, NoCaseCase{u"", u"", 0},
                                           NoCaseCase{u"", nullptr, 0}, NoCaseCase{u" ", u"", 1},
                                           NoCaseCase{u"", u" ", -1}, NoCaseCase{u"abc", u"ABD", -1},
                                           NoCaseCase{u"abd", u"ABC", 1}, NoCaseCase{u"ab", u"abc", -1},
                                           NoCaseCase{u"abc", u"AB", 1}, NoCaseCase{u"Z", u"a", 1},
                                           // Only ASCII letters are folded.
                                           NoCaseCase{u"\u00E9", u"\u00C9", 1}, NoCaseCase{u"[", u"{", -1}));

TEST(SIArray, AppendReturnsTheIndexAndKeepsOrder)
{
    SIntArray ids;
    EXPECT_TRUE(ids.isEmpty());
    EXPECT_EQ(ids.append(7), 0u);
    EXPECT_EQ(ids.append(-1), 1u);
    ASSERT_EQ(ids.count(), 2u);
    EXPECT_EQ(ids[0], 7);
    EXPECT_EQ(ids[1], -1);
    const SIntArray copy = ids;
    ids.append(3);
    EXPECT_EQ(copy.count(), 2u);
}

TEST(SIArray, IndexOutOfRangeThrows)
{
    SIArray<SWCharString> texts;
    texts.append(u"a");
    EXPECT_THROW(texts[1], std::out_of_range);
    EXPECT_THROW(texts[static_cast<std::size_t>(-1)], std::out_of_range);
}

}  // namespace
