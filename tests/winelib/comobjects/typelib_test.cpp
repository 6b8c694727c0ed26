// The type library against typelib_expected.txt: what compiling the IDL does
// not check (help strings, slots, DISPIDs, parameter names).
#include "tests/winelib/support/WinelibGTest.h"

#include <fstream>
#include <sstream>

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

std::string Doc(ITypeInfo* info, MEMBERID id)
{
    ScopedBstr name, doc;
    info->GetDocumentation(id, name.Receive(), doc.Receive(), nullptr, nullptr);
    return Utf8(name.Get()) + " " + (doc.Get() ? "\"" + Utf8(doc.Get()) + "\"" : "-");
}

std::string DumpType(ITypeInfo* type)
{
    static const char* const kKinds[] = {"enum", "record", "module", "interface", "dispatch", "coclass"};
    static const char* const kInvokeKinds[] = {"?", "method", "get", "?", "put", "?", "?", "?", "putref"};
    ScopedComPtr<ITypeInfo> vtable;
    HREFTYPE ref;
    if (SUCCEEDED(type->GetRefTypeOfImplType(-1, &ref))) type->GetRefTypeInfo(ref, vtable.Receive());
    ITypeInfo* info = vtable ? vtable.Get() : type;
    TYPEATTR* a = nullptr;
    info->GetTypeAttr(&a);
    std::ostringstream out;
    out << kKinds[a->typekind] << ' ' << Doc(type, MEMBERID_NIL)
        << (IsEqualGUID(a->guid, GUID_NULL) ? "" : " " + GuidText(a->guid)) << '\n';
    for (UINT i = 0; i < a->cVars; ++i) {
        VARDESC* var = nullptr;
        info->GetVarDesc(i, &var);
        out << "  " << Doc(info, var->memid) << " = " << V_I4(var->lpvarValue) << '\n';
        info->ReleaseVarDesc(var);
    }
    for (UINT i = 0; i < a->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(i, &f);
        BSTR names[8] = {};
        UINT named = 0;
        info->GetNames(f->memid, names, 8, &named);
        out << "  " << f->oVft / 8 << ' ' << kInvokeKinds[f->invkind] << ' ' << Doc(info, f->memid) << " (";
        for (UINT n = 1; n < named; ++n) out << (n > 1 ? "," : "") << Utf8(names[n]);
        out << ") id=0x" << std::hex << std::uppercase << static_cast<unsigned>(f->memid) << std::dec << '\n';
        for (UINT n = 0; n < named; ++n) SysFreeString(names[n]);
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(a);
    return out.str();
}

}  // namespace

TEST(TypeLibrary, HoldsExactlyTheExpectedTypes)
{
    ScopedComPtr<ITypeLib> library;
    ASSERT_HR(S_OK, LoadRegTypeLib(LIBID_CorvelLumoCommentaryServiceLib, 1, 0, LOCALE_NEUTRAL, library.Receive()));
    ScopedBstr name, doc;
    TLIBATTR* attributes = nullptr;
    ASSERT_HR(S_OK, library->GetDocumentation(-1, name.Receive(), doc.Receive(), nullptr, nullptr));
    ASSERT_HR(S_OK, library->GetLibAttr(&attributes));
    std::ostringstream dump;
    dump << "library " << Utf8(name.Get()) << " \"" << Utf8(doc.Get()) << "\" " << GuidText(attributes->guid) << ' '
         << attributes->wMajorVerNum << '.' << attributes->wMinorVerNum << '\n';
    library->ReleaseTLibAttr(attributes);
    std::map<std::string, std::string> types;  // by name: the order the compiler chose does not matter
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ScopedComPtr<ITypeInfo> info;
        ASSERT_HR(S_OK, library->GetTypeInfo(i, info.Receive()));
        const std::string text = DumpType(info.Get());
        types[text.substr(text.find(' ') + 1)] = text;
    }
    for (const auto& entry : types) dump << entry.second;
    std::stringstream expected;
    expected << std::ifstream(LUMO_EXPECTED_TYPELIB_DUMP).rdbuf();
    EXPECT_EQ(expected.str(), dump.str());
}
