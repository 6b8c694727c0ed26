// The registered type library, written out type by type and compared with
// the expected text (typelib_expected.txt): names, identifiers, help
// strings, vtable slots, dispatch identifiers and parameter names.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <fstream>

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

std::string GuidText(const GUID& guid)
{
    WCHAR text[40];
    StringFromGUID2(guid, text, 40);
    return Utf8(text);
}

std::string Doc(ITypeInfo* info, MEMBERID id, std::string* name = nullptr)
{
    ScopedBstr n, doc;
    info->GetDocumentation(id, n.Receive(), doc.Receive(), nullptr, nullptr);
    if (name) *name = Utf8(n.Get());
    return doc.Get() ? "\"" + Utf8(doc.Get()) + "\"" : "-";
}

const char* InvokeKind(INVOKEKIND kind)
{
    return kind == INVOKE_PROPERTYGET ? "propget" : kind == INVOKE_PROPERTYPUT ? "propput"
                                                  : kind == INVOKE_PROPERTYPUTREF ? "propputref" : "method";
}

// One interface in vtable order: slot, kind, name, parameter names, DISPID,
// help string.  The type-information calls answer names and help strings by
// DISPID, that is for the first accessor of a property; the second accessor
// shows its slot, kind, name and DISPID only.
void DumpInterface(ITypeInfo* info, std::ostringstream& out)
{
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    std::vector<MEMBERID> seen;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        info->GetFuncDesc(i, &func);
        BSTR names[8] = {};
        UINT count = 0;
        info->GetNames(func->memid, names, 8, &count);
        char id[16];
        std::snprintf(id, sizeof id, "0x%X", static_cast<unsigned>(func->memid));
        out << "  " << func->oVft / static_cast<int>(sizeof(void*)) << ' ' << InvokeKind(func->invkind) << ' '
            << Utf8(names[0]);
        if (std::find(seen.begin(), seen.end(), func->memid) == seen.end()) {
            out << '(';
            for (UINT n = 1; n < count; ++n) out << (n > 1 ? "," : "") << Utf8(names[n]);
            out << ") id=" << id << ' ' << Doc(info, func->memid) << '\n';
            seen.push_back(func->memid);
        } else {
            out << " id=" << id << '\n';
        }
        for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attributes);
}

std::string DumpType(ITypeInfo* info)
{
    std::ostringstream out;
    std::string name;
    const std::string doc = Doc(info, MEMBERID_NIL, &name);
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const TYPEATTR type = *attributes;
    info->ReleaseTypeAttr(attributes);

    if (type.typekind == TKIND_ENUM) {
        out << "enum " << name << ' ' << doc << '\n';
        for (UINT i = 0; i < type.cVars; ++i) {
            VARDESC* var = nullptr;
            info->GetVarDesc(i, &var);
            std::string member;
            const std::string memberDoc = Doc(info, var->memid, &member);
            out << "  " << member << " = " << V_I4(var->lpvarValue) << ' ' << memberDoc << '\n';
            info->ReleaseVarDesc(var);
        }
    } else if (type.typekind == TKIND_COCLASS) {
        out << "coclass " << name << ' ' << GuidText(type.guid) << ' ' << doc << '\n';
        for (UINT i = 0; i < type.cImplTypes; ++i) {
            HREFTYPE ref;
            INT implFlags = 0;
            ScopedComPtr<ITypeInfo> implemented;
            info->GetRefTypeOfImplType(i, &ref);
            info->GetImplTypeFlags(i, &implFlags);
            info->GetRefTypeInfo(ref, implemented.Receive());
            std::string implName;
            Doc(implemented.Get(), MEMBERID_NIL, &implName);
            out << "  " << ((implFlags & IMPLTYPEFLAG_FDEFAULT) ? "default " : "") << "interface " << implName << '\n';
        }
    } else {
        // A dual interface: its vtable view, with the interface it derives from.
        ScopedComPtr<ITypeInfo> vtable;
        HREFTYPE self;
        if ((type.wTypeFlags & TYPEFLAG_FDUAL) && SUCCEEDED(info->GetRefTypeOfImplType(-1, &self)))
            info->GetRefTypeInfo(self, vtable.Receive());
        ITypeInfo* view = vtable ? vtable.Get() : info;
        HREFTYPE baseRef;
        ScopedComPtr<ITypeInfo> base;
        std::string baseName = "?";
        if (SUCCEEDED(view->GetRefTypeOfImplType(0, &baseRef)) && SUCCEEDED(view->GetRefTypeInfo(baseRef, base.Receive())))
            Doc(base.Get(), MEMBERID_NIL, &baseName);
        out << "interface " << name << ' ' << GuidText(type.guid) << " : " << baseName << ' ' << doc
            << ((type.wTypeFlags & TYPEFLAG_FDUAL) ? " dual" : "") << '\n';
        DumpInterface(view, out);
    }
    return out.str();
}

}  // namespace

TEST(TypeLibrary, HoldsExactlyTheExpectedTypes)
{
    ScopedComPtr<ITypeLib> library;
    ASSERT_HR(S_OK, LoadRegTypeLib(LIBID_CorvelLumoCommentaryServiceLib, 1, 0, LOCALE_NEUTRAL, library.Receive()));
    ScopedBstr libName, libDoc;
    ASSERT_HR(S_OK, library->GetDocumentation(-1, libName.Receive(), libDoc.Receive(), nullptr, nullptr));
    TLIBATTR* attributes = nullptr;
    ASSERT_HR(S_OK, library->GetLibAttr(&attributes));
    std::ostringstream dump;
    dump << "library " << Utf8(libName.Get()) << ' ' << GuidText(attributes->guid) << ' '
         << attributes->wMajorVerNum << '.' << attributes->wMinorVerNum << " \"" << Utf8(libDoc.Get()) << "\"\n";
    library->ReleaseTLibAttr(attributes);

    // Types sorted by name, so that the text does not depend on the order in
    // which the compiler wrote them.
    std::map<std::string, std::string> types;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ScopedComPtr<ITypeInfo> info;
        ASSERT_HR(S_OK, library->GetTypeInfo(i, info.Receive()));
        std::string typeName;
        Doc(info.Get(), MEMBERID_NIL, &typeName);
        types[typeName] = DumpType(info.Get());
    }
    for (const auto& entry : types) dump << entry.second;

    std::ifstream file(LUMO_EXPECTED_TYPELIB_DUMP);
    ASSERT_TRUE(file.good()) << LUMO_EXPECTED_TYPELIB_DUMP;
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_EQ(expected.str(), dump.str());
}
