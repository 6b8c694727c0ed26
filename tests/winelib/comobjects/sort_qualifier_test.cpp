// The sort parameter and the comment qualifier through the registered module.
#include "tests/winelib/support/WinelibGTest.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include "com/CComCommentQualifier.h"
#include "com/CComSortParams.h"
#include "platform/foundation/STraceCapture.h"
#include "platform/foundation/SWCharStringConv.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

template <class Class, class Interface>
std::string AddressOf(Interface* object)
{
    const SComObjectBase* base = static_cast<Class*>(object);
    return SWCharStringConv::ToString(static_cast<const void*>(base)).toUtf8();
}

// Reads a property by name as a script does.
std::string ReadByName(IUnknown* object, const char16_t* name, DISPID expectedId)
{
    ScopedComPtr<IDispatch> dispatch;
    EXPECT_HR(S_OK, object->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()));
    DISPID id = 0;
    EXPECT_HR(S_OK, Dispatch(dispatch.Get()).IdOf(name, &id));
    EXPECT_EQ(expectedId, id) << Utf8(name);
    Variant value;
    EXPECT_HR(S_OK, Dispatch(dispatch.Get()).Call(name, DISPATCH_PROPERTYGET, nullptr, &value.v));
    EXPECT_HR(S_OK, VariantChangeType(&value.v, &value.v, 0, VT_BSTR));
    return Utf8(V_BSTR(&value.v));
}

}  // namespace

TEST(SortParamObject, StoresEveryValueUncheckedAndTracesIt)
{
    ScopedComPtr<ISSortParam> sort;
    ASSERT_HR(S_OK, CreateByProgId(u"CorvelEnterprise14.SortParam.1", IID_ISSortParam, sort));
    EXPECT_EQ("0", ReadByName(sort.Get(), u"SortAttribute", 1)) << "SORTATTRIBUTE_LASTMODIFIEDTIME at the start";
    EXPECT_EQ("0", ReadByName(sort.Get(), u"SortOrder", 2)) << "SORTORDER_ASCENDING at the start";
    for (int value : {1, 7, -3}) {
        ASSERT_HR(S_OK, sort->put_SortAttribute(static_cast<SortAttributeType>(value)));
        ASSERT_HR(S_OK, sort->put_SortOrder(static_cast<SortOrderType>(-value)));
        EXPECT_EQ(std::to_string(value), ReadByName(sort.Get(), u"SortAttribute", 1));
        EXPECT_EQ(std::to_string(-value), ReadByName(sort.Get(), u"SortOrder", 2));
    }

    const std::string at = AddressOf<CComSortParam>(sort.Get());
    STraceCapture capture;
    ASSERT_HR(S_OK, sort->put_SortAttribute(SORTATTRIBUTE_CREATIONTIME));
    SortAttributeType attribute;
    ASSERT_HR(S_OK, sort->get_SortAttribute(&attribute));
    SortOrderType order = static_cast<SortOrderType>(99);
    ASSERT_HR(S_OK, sort->get_SortOrder(&order));
    EXPECT_HR(E_POINTER, sort->get_SortAttribute(nullptr));
    EXPECT_EQ(InvalidPointerText(), TakeErrorInfo().description);
    EXPECT_HR(E_POINTER, sort->get_SortOrder(nullptr));
    EXPECT_EQ((std::vector<std::string>{
                  InLine("CComSortParam::put_SortAttribute", at), OutLine("CComSortParam::put_SortAttribute", at),
                  InLine("CComSortParam::get_SortAttribute", at), OutLine("CComSortParam::get_SortAttribute", at, "1"),
                  InLine("CComSortParam::get_SortOrder", at), OutLine("CComSortParam::get_SortOrder", at, "3"),
                  InLine("CComSortParam::get_SortAttribute", at), "Assertion failed: false: Invalid pointer sortAttr",
                  InLine("CComSortParam::get_SortOrder", at), "Assertion failed: false: Invalid pointer sortOrd"}),
              capture.linesUtf8());
    for (const STraceRecord& record : capture.records()) EXPECT_EQ("CComSortParams", record.area);
    EXPECT_EQ("1", ReadByName(sort.Get(), u"SortAttribute", 1)) << "a failed get changes nothing";
}

TEST(QualifierObject, StoresValuesAsGivenAndTracesThem)
{
    ScopedComPtr<ISCommentQualifier> qualifier;
    ASSERT_HR(S_OK, CreateByProgId(u"CorvelEnterprise14.CommentQualifier.1", IID_ISCommentQualifier, qualifier));
    EXPECT_EQ("0", ReadByName(qualifier.Get(), u"CommentQualifierAttribute", 1)) << "COMMENTQUALIFIERATTRIBUTE_TOP";
    BSTR value = Sentinel<BSTR>();
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierValue(&value));
    ASSERT_TRUE(value && value != Sentinel<BSTR>() && SysStringLen(value) == 0) << "an empty, non-null BSTR";
    SysFreeString(value);
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierAttribute(static_cast<CommentQualifierAttributeType>(5)));
    EXPECT_EQ("5", ReadByName(qualifier.Get(), u"CommentQualifierAttribute", 1));
    const std::pair<BSTR, const char*> values[] = {
        {SysAllocString(u"top 10"), "top 10"}, {SysAllocStringLen(u"a\0b", 3), "a"}, {nullptr, ""}};
    for (const auto& v : values) {
        ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(v.first));
        SysFreeString(v.first);
        EXPECT_EQ(v.second, ReadByName(qualifier.Get(), u"CommentQualifierValue", 2));
    }

    const std::string at = AddressOf<CComCommentQualifier>(qualifier.Get());
    STraceCapture capture;
    ScopedBstr text(u"v1"), back;
    ASSERT_HR(S_OK, qualifier->put_CommentQualifierValue(text.Get()));
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierValue(back.Receive()));
    CommentQualifierAttributeType attribute;
    ASSERT_HR(S_OK, qualifier->get_CommentQualifierAttribute(&attribute));
    EXPECT_HR(E_POINTER, qualifier->get_CommentQualifierAttribute(nullptr));
    EXPECT_HR(E_POINTER, qualifier->get_CommentQualifierValue(nullptr));
    const std::string name = "CComCommentQualifier::";
    EXPECT_EQ((std::vector<std::string>{
                  InLine(name + "put_CommentQualifierValue", at), OutLine(name + "put_CommentQualifierValue", at),
                  InLine(name + "get_CommentQualifierValue", at), OutLine(name + "get_CommentQualifierValue", at, "v1"),
                  InLine(name + "get_CommentQualifierAttribute", at),
                  OutLine(name + "get_CommentQualifierAttribute", at, "5"),
                  InLine(name + "get_CommentQualifierAttribute", at), "Assertion failed: false: Invalid pointer cq",
                  InLine(name + "get_CommentQualifierValue", at), "Assertion failed: false: Invalid pointer value"}),
              capture.linesUtf8());
    for (const STraceRecord& record : capture.records()) EXPECT_EQ("CComCommentQualifier", record.area);
}
