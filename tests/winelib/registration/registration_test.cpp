// Registration through the module's exports, loaded from a folder named with
// an apostrophe, compared with registration_expected.txt; unregistration and
// the re-registration of another copy through "REGSVR32.EXE", which a
// stand-in replaces (with a "native" override, or Wine runs its own).
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "module/LumoCommentary.h"
#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char16_t kServiceClsid[] = u"{8F111C7C-4297-48AF-8C94-158CD26A1A81}";

std::u16string WindowsPath(const char* unixPath)
{
    std::u16string path = u"Z:" + Wide(unixPath);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return path;
}

// The module's stub in "lumo's module"; Wine finds its code on WINEDLLPATH.
const std::u16string& ModulePath()
{
    static const std::u16string path = [] {
        WCHAR temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const std::u16string folder = std::u16string(temp) + u"lumo's module";
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::u16string copy = folder + u"\\LumoCommentary.dll";
        EXPECT_TRUE(CopyFileW(WindowsPath(LUMO_MODULE_PATH).c_str(), copy.c_str(), FALSE));
        return copy;
    }();
    return path;
}
HMODULE Module()
{
    static const HMODULE module = LoadLibraryW(ModulePath().c_str());
    return module;
}
HRESULT CallExport(const char* name)
{
    const auto call = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(Module(), name)));
    EXPECT_NE(nullptr, call) << name;
    return call ? call() : E_UNEXPECTED;
}
HRESULT Register() { return CallExport("DllRegisterServer"); }
HRESULT Unregister() { return CallExport("DllUnregisterServer"); }

// A key and everything below it, sorted: "<path>", then "  <name>=<text>"
// ("@": the default value).  Empty when the key does not exist.
std::string DumpKey(const std::u16string& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    std::vector<std::string> lines;
    WCHAR name[256];
    BYTE data[2048];
    for (DWORD i = 0, length = 256, size = sizeof data - 2, type = 0;
         RegEnumValueW(key, i, name, &length, nullptr, &type, data, &size) == ERROR_SUCCESS;
         ++i, length = 256, size = sizeof data - 2) {
        data[size] = data[size + 1] = 0;
        lines.push_back("  " + (length ? Utf8(name) : "@") + "=" +
                        (type == REG_SZ ? Utf8(reinterpret_cast<const char16_t*>(data)) : "(type)") + "\n");
    }
    std::sort(lines.begin(), lines.end());
    std::vector<std::string> subkeys;  // after the values, sorted by name
    for (DWORD i = 0, length = 256; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
         ++i, length = 256)
        subkeys.push_back(DumpKey(path + u"\\" + name));
    RegCloseKey(key);
    std::sort(subkeys.begin(), subkeys.end());
    std::string out = Utf8(path.c_str()) + "\n";
    for (const std::string& text : lines) out += text;
    for (const std::string& text : subkeys) out += text;
    return out;
}

// What registration may write for each coclass, and the library's key.
std::string RegistrationDump()
{
    ScopedComPtr<ITypeLib> library;
    EXPECT_HR(S_OK, LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Receive()));
    std::string out;
    for (UINT i = 0; library && i < library->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        ScopedComPtr<ITypeInfo> info;
        ScopedBstr name;
        if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
        library->GetTypeInfo(i, info.Receive());
        info->GetDocumentation(MEMBERID_NIL, name.Receive(), nullptr, nullptr, nullptr);
        TYPEATTR* attributes = nullptr;
        info->GetTypeAttr(&attributes);
        const std::u16string clsid = Wide(GuidText(attributes->guid));
        info->ReleaseTypeAttr(attributes);
        out += DumpKey(u"CorvelEnterprise14." + std::u16string(name.Get()) + u".1") +
               DumpKey(u"CorvelEnterprise." + std::u16string(name.Get())) + DumpKey(u"CLSID\\" + clsid);
    }
    out += DumpKey(u"TypeLib\\" + Wide(GuidText(LIBID_CorvelLumoCommentaryServiceLib)));
    const std::string module = Utf8(ModulePath().c_str()), folder = module.substr(0, module.rfind('\\'));
    for (size_t at; (at = out.find(module)) != std::string::npos;) out.replace(at, module.size(), "%MODULE%");
    for (size_t at; (at = out.find(folder)) != std::string::npos;) out.replace(at, folder.size(), "%FOLDER%");
    return out;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { Unregister(); }
    void TearDown() override { Unregister(); }
};

// Installs the stand-in for good (the prefix is this program's own); the
// command line it was started with, or "" when it did not start in time.
std::string StandInStartedWith(DWORD milliseconds)
{
    static const std::u16string record = [] {
        WCHAR system[MAX_PATH], temp[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH), GetTempPathW(MAX_PATH, temp);
        const std::u16string program = std::u16string(system) + u"\\regsvr32.exe";
        EXPECT_TRUE(DeleteFileW(program.c_str()) &&
                    CopyFileW(WindowsPath(LUMO_REGSVR32_STANDIN).c_str(), program.c_str(), TRUE));
        EXPECT_EQ(0, RegSetKeyValueW(HKEY_CURRENT_USER, u"Software\\Wine\\DllOverrides", u"regsvr32.exe", REG_SZ,
                                     u"native", 14));
        SetEnvironmentVariableW(u"LUMO_REGSVR32_RECORD", (std::u16string(temp) + u"regsvr32-record.txt").c_str());
        return std::u16string(temp) + u"regsvr32-record.txt";
    }();
    for (DWORD waited = 0; waited <= milliseconds; waited += 100, Sleep(100)) {
        HANDLE file =
            CreateFileW(record.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        char text[4096];
        DWORD read = 0;
        ReadFile(file, text, sizeof text, &read, nullptr);
        CloseHandle(file);
        return std::string(text, read);
    }
    return "";
}

}  // namespace

TEST_F(Registration, WritesTheExpectedContentOnceAndUnregistrationRemovesIt)
{
    ASSERT_HR(S_OK, Register());
    std::stringstream expected;
    expected << std::ifstream(LUMO_EXPECTED_REGISTRATION).rdbuf();
    EXPECT_EQ(expected.str(), RegistrationDump());
    ASSERT_HR(S_OK, Register());
    EXPECT_EQ(expected.str(), RegistrationDump());
    ASSERT_HR(S_OK, Unregister());
    EXPECT_EQ("", RegistrationDump());
    EXPECT_NE("", DumpKey(u"CLSID")) << "CLSID itself stays";
    EXPECT_HR(S_OK, Unregister()) << "nothing to remove is no failure";
}

TEST_F(Registration, UnregistrationReregistersACopyInThe32BitViewOnly)
{
    if (!*LUMO_REGSVR32_STANDIN) GTEST_SKIP() << "the stand-in was not built (clang and lld-link are needed)";
    StandInStartedWith(0);
    ASSERT_HR(S_OK, Unregister());
    EXPECT_EQ("", StandInStartedWith(3000)) << "a clean registry starts nothing";
    // A path with blanks, and one longer than the 255-byte buffer (read whole).
    for (const std::u16string& path : {std::u16string(u"C:\\Program Files (x86)\\Lumo\\LumoCommentary.dll"),
                                       u"C:\\" + std::u16string(140, u'p') + u"\\LumoCommentary.dll"}) {
        ASSERT_HR(S_OK, Register());
        const std::u16string key = u"Wow6432Node\\CLSID\\" + std::u16string(kServiceClsid);
        RegSetValueW(HKEY_CLASSES_ROOT, (key + u"\\InprocServer32").c_str(), REG_SZ, path.c_str(), path.size() * 2);
        ASSERT_HR(S_OK, Unregister());
        EXPECT_EQ("\"C:\\windows\\system32\\REGSVR32.EXE\" /s \"" + Utf8(path.c_str()) + "\"",
                  StandInStartedWith(30000));
        EXPECT_EQ("", RegistrationDump()) << "this copy is unregistered all the same";
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }
}
