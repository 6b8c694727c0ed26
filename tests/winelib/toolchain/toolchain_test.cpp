#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <oleauto.h>

#include <type_traits>

#include "platform/foundation/SDateTime.h"
#include "platform/foundation/SString.h"

static_assert(std::is_same<WCHAR, char16_t>::value, "Winelib units must see WCHAR as char16_t");
static_assert(sizeof(wchar_t) == 4, "Winelib units must keep the 32-bit wchar_t of the native libraries");

TEST(WinelibToolchain, UTF16TextCrossesBetweenNativeLibraryAndAutomation)
{
    // U+1D11E needs a surrogate pair: it proves that code units pass unchanged.
    const SWCharString native = SWCharString::fromUtf8("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9D\x84\x9E");
    BSTR bstr = SysAllocString(native.c_str());
    ASSERT_NE(bstr, nullptr);
    EXPECT_EQ(SysStringLen(bstr), native.length());
    EXPECT_TRUE(SWCharString(bstr) == native);
    EXPECT_EQ(SWCharString(bstr).toUtf8(), "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9D\x84\x9E");
    SysFreeString(bstr);
}

TEST(WinelibToolchain, NativeLibraryObjectsWorkFromWinelibCode)
{
    const SDateTime epoch(1970, 1, 1, 0, 0, 0, 0, STimeZone::TZ_UTC);
    EXPECT_EQ((epoch + STimeSpan(86400000)).Format(u"MMM dd yyyy HH:mm:ss", STimeZone::TZ_UTC).toUtf8(),
              "Jan 02 1970 00:00:00");
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
