// The ORB's wide strings to UTF-16 and back, unit for unit.
#include <gtest/gtest.h>

#include "server/orb/WideText.h"

namespace server_test {
namespace {

TEST(ServerWideText, UnitsAboveSixteenBitsRefuseTheText)
{
    const CORBA::WChar units[] = { L'a', 0x20AC, 0xD834, 0xDD1E, 0 };
    std::u16string out = u"stale";
    EXPECT_TRUE(lumo_server::corbaWideToUtf16(units, out));
    EXPECT_EQ(out, std::u16string(u"a\u20AC\xD834\xDD1E"));

    // Each position of a 21-unit text, in and after the blocks of 8.
    for (const CORBA::WChar wide : { CORBA::WChar(0x10000), CORBA::WChar(-1) })
        for (std::size_t at = 0; at < 21; ++at) {
            std::wstring refused(21, L'a');
            refused[at] = wide;
            out = u"stale";
            EXPECT_FALSE(lumo_server::corbaWideToUtf16(refused.c_str(), out)) << at;
            EXPECT_EQ(out, u"");
        }
    out = u"stale";
    EXPECT_TRUE(lumo_server::corbaWideToUtf16(nullptr, out));
    EXPECT_EQ(out, u"");

    std::u16string text;
    for (int unit = 1; unit <= 0xFFFF; unit += 97) text += static_cast<char16_t>(unit);
    CORBA::WString_var wide = lumo_server::utf16ToCorbaWide(text);
    EXPECT_TRUE(lumo_server::corbaWideToUtf16(wide.in(), out));
    EXPECT_EQ(out, text);
}

}  // namespace
}  // namespace server_test
