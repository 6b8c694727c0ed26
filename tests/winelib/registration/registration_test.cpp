// Registration through the module's exports, read back from the registry key
// by key; unregistration, and the re-registration of another registered copy
// through "REGSVR32.EXE", observed with a stand-in program.
//
// Under Wine, ShellExecuteW finds a bare "REGSVR32.EXE" in the system folder
// before anywhere else (not in the program's folder), and runs Wine's own
// regsvr32 for that file unless a "native" override says otherwise: the
// stand-in takes the place of the private prefix's system32\regsvr32.exe,
// with that override, for one test at a time.
#include "tests/winelib/support/WinelibGTest.h"

#include <algorithm>
#include <cstring>

#include "tests/winelib/support/ComTestSupport.h"

using namespace comtest;

namespace {

const char16_t kServiceClsid[] = u"{8F111C7C-4297-48AF-8C94-158CD26A1A81}";
const char16_t kLibId[] = u"{F97B059E-9F5E-4357-AA81-6D04436E2299}";

struct RegisteredClass {
    const char16_t* coclass;
    const char16_t* clsid;
};

// The registered classes (the class table without the hide and duplicate
// success responses).
const RegisteredClass kClasses[] = {
    {u"LumoCommentaryService", u"{8F111C7C-4297-48AF-8C94-158CD26A1A81}"},
    {u"Comment", u"{CCDFE4C8-A5E1-4816-933A-A1851E9ED8AE}"},
    {u"AddCommentRequest", u"{B71ED6D5-D111-47A6-B083-1BFCFCD9BB96}"},
    {u"DeleteCommentRequest", u"{99DCB23D-E4E7-4A47-9C86-D09E28D5D19B}"},
    {u"ModifyCommentRequest", u"{13D5C53E-B373-49FC-8120-E1D548AB3487}"},
    {u"HideCommentRequest", u"{4832CF45-16DB-44D6-A47B-E5EA8B85F71A}"},
    {u"DuplicateCommentRequest", u"{B3AE3378-AF42-4177-BD4B-ACB4A665327D}"},
    {u"SortParam", u"{1C1777C4-9039-49F8-91BF-0EB64F51194C}"},
    {u"CommentQualifier", u"{F0BEA9CB-3318-4571-B239-2B83249C433F}"},
    {u"GetCommentRequest", u"{7E0C8D27-67BF-4A34-9CA4-7A24EE4D83E8}"},
    {u"AddCommentSuccessResponse", u"{C26B1676-ACAB-4E3C-9164-7CDBA9C4A974}"},
    {u"DeleteCommentSuccessResponse", u"{01CD533B-E302-4952-BDBF-D43F6F43EF72}"},
    {u"ModifyCommentSuccessResponse", u"{C9E2234B-062D-4B64-9AB9-EE6039B93FB7}"},
    {u"GetCommentSuccessResponse", u"{23D4D0D7-7751-4A7A-BDED-34EC04563D90}"},
    {u"CommentErrorResponse", u"{48E86E88-0FD0-4CA7-A181-61E6FDE2FA55}"},
};
const RegisteredClass kUnregistered[] = {
    {u"HideCommentSuccessResponse", u"{940776D6-C5A8-4560-8D26-F0B971BC26A4}"},
    {u"DuplicateCommentSuccessResponse", u"{0B64BBC2-8114-48D3-8106-41C87D7FC9A8}"},
};

// The Windows form (Z:\...) of a path of the build.
std::u16string WindowsPath(const char* unixPath)
{
    std::u16string path = u"Z:" + Wide(unixPath);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return path;
}
std::u16string ModulePath() { return WindowsPath(LUMO_MODULE_PATH); }

bool KeyExists(const std::u16string& path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A key with everything below it, one line per key and per value, subkeys
// and values sorted by name:  <path>  then  "  <name>=<text>" ("@" for the
// default value).  Empty when the key does not exist.
std::string DumpKey(HKEY root, const std::u16string& path)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    std::string out = Utf8(path) + "\n";
    std::vector<std::pair<std::string, std::string>> values;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        BYTE data[2048];
        DWORD nameLength = 256, dataLength = sizeof data - 2, type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        data[dataLength] = data[dataLength + 1] = 0;
        const std::string text = type == REG_SZ ? Utf8(reinterpret_cast<const char16_t*>(data)) : "(type " + std::to_string(type) + ")";
        values.emplace_back(nameLength ? Utf8(name) : "@", text);
    }
    std::sort(values.begin(), values.end());
    for (const auto& v : values) out += "  " + v.first + "=" + v.second + "\n";
    std::vector<std::u16string> subkeys;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name);
    }
    RegCloseKey(key);
    std::sort(subkeys.begin(), subkeys.end());
    for (const auto& sub : subkeys) out += DumpKey(root, path + u"\\" + sub);
    return out;
}

// Everything registration writes: the ProgID and CLSID keys of every class
// and the type library.
std::string RegistrationDump()
{
    std::string out;
    for (const RegisteredClass& c : kClasses) {
        out += DumpKey(HKEY_CLASSES_ROOT, u"CorvelEnterprise14." + std::u16string(c.coclass) + u".1");
        out += DumpKey(HKEY_CLASSES_ROOT, u"CLSID\\" + std::u16string(c.clsid));
    }
    return out + DumpKey(HKEY_CLASSES_ROOT, u"TypeLib\\" + std::u16string(kLibId));
}

// The module loaded by path, and its exports.
HMODULE Module()
{
    static const HMODULE module = LoadLibraryW(ModulePath().c_str());
    return module;
}
HRESULT CallExport(const char* name)
{
    const auto call = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(Module(), name)));
    EXPECT_NE(nullptr, call) << name << " of " << Utf8(ModulePath());
    return call ? call() : E_UNEXPECTED;
}
HRESULT Register() { return CallExport("DllRegisterServer"); }
HRESULT Unregister() { return CallExport("DllUnregisterServer"); }

class Registration : public ::testing::Test {
protected:
    void TearDown() override { Unregister(); }
};

// Puts the stand-in in the place of the system's regsvr32.exe, and takes it
// out again.
class RegsvrStandIn {
public:
    RegsvrStandIn()
    {
        WCHAR folder[MAX_PATH];
        GetSystemDirectoryW(folder, MAX_PATH);
        m_program = std::u16string(folder) + u"\\regsvr32.exe";
        m_saved = m_program + u".lumo-saved";
        WCHAR temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_record = std::u16string(temp) + u"lumo-regsvr32-record.txt";
        DeleteFileW(m_record.c_str());
        SetEnvironmentVariableW(u"LUMO_REGSVR32_RECORD", m_record.c_str());
        m_installed = MoveFileW(m_program.c_str(), m_saved.c_str()) &&
                      CopyFileW(WindowsPath(LUMO_REGSVR32_STANDIN).c_str(), m_program.c_str(), FALSE) &&
                      RegSetKeyValueW(HKEY_CURRENT_USER, kOverrides, u"regsvr32.exe", REG_SZ, u"native", 14) == 0;
    }
    ~RegsvrStandIn()
    {
        // The stand-in may still be running after writing its record.
        for (int tries = 0; tries < 100 && !DeleteFileW(m_program.c_str()); ++tries) Sleep(100);
        MoveFileW(m_saved.c_str(), m_program.c_str());
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kOverrides, u"regsvr32.exe");
        DeleteFileW(m_record.c_str());
    }
    bool installed() const { return m_installed; }

    // The command line the stand-in was started with, or "" when it was not
    // started within the time given.
    std::string WaitForCommandLine(DWORD milliseconds) const
    {
        for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
            HANDLE file = CreateFileW(m_record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                char text[4096];
                DWORD read = 0;
                ReadFile(file, text, sizeof text, &read, nullptr);
                CloseHandle(file);
                return std::string(text, read);
            }
            Sleep(100);
        }
        return "";
    }

private:
    static constexpr char16_t kOverrides[] = u"Software\\Wine\\DllOverrides";
    std::u16string m_program, m_saved, m_record;
    bool m_installed = false;
};

// Registers a copy of the service class in the 32-bit registry view.
class OtherCopy {
public:
    explicit OtherCopy(const std::u16string& path)
    {
        const std::u16string key = u"Wow6432Node\\CLSID\\" + std::u16string(kServiceClsid) + u"\\InprocServer32";
        RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, path.c_str(), static_cast<DWORD>(path.size() * 2));
    }
    ~OtherCopy() { RegDeleteTreeW(HKEY_CLASSES_ROOT, (u"Wow6432Node\\CLSID\\" + std::u16string(kServiceClsid)).c_str()); }
};

}  // namespace

TEST_F(Registration, WritesBothBlocksOfEveryClassAndTheTypeLibrary)
{
    ASSERT_HR(S_OK, Register());
    const std::string module = Utf8(ModulePath());
    for (const RegisteredClass& c : kClasses) {
        const std::string name = Utf8(c.coclass), clsid = Utf8(c.clsid);
        const std::string progId = "CorvelEnterprise14." + name + ".1";
        EXPECT_EQ(progId + "\n  @=" + name + " Class\n" + progId + "\\CLSID\n  @=" + clsid + "\n",
                  DumpKey(HKEY_CLASSES_ROOT, Wide(progId)));
        const std::string key = "CLSID\\" + clsid;
        EXPECT_EQ(key + "\n  @=" + name + " Class\n" +
                      key + "\\InprocServer32\n  @=" + module + "\n  ThreadingModel=Both\n" +
                      key + "\\ProgID\n  @=" + progId + "\n" +
                      key + "\\Programmable\n" +
                      key + "\\TypeLib\n  @=" + Utf8(kLibId) + "\n" +
                      key + "\\VersionIndependentProgID\n  @=CorvelEnterprise." + name + "\n",
                  DumpKey(HKEY_CLASSES_ROOT, Wide(key)));
        EXPECT_FALSE(KeyExists(u"CorvelEnterprise." + std::u16string(c.coclass)))
            << "no key for a version-independent ProgID";
    }
    for (const RegisteredClass& c : kUnregistered) {
        EXPECT_FALSE(KeyExists(u"CLSID\\" + std::u16string(c.clsid)));
        EXPECT_FALSE(KeyExists(u"CorvelEnterprise14." + std::u16string(c.coclass) + u".1"));
    }
    const std::u16string typeLib = u"TypeLib\\" + std::u16string(kLibId) + u"\\1.0";
    EXPECT_NE(std::string::npos,
              DumpKey(HKEY_CLASSES_ROOT, typeLib).find("\n  @=Corvel Enterprise Lumo Commentary Service Library 14.0\n"));
    EXPECT_EQ(Utf8(typeLib) + "\\0\\win64\n  @=" + module + "\n", DumpKey(HKEY_CLASSES_ROOT, typeLib + u"\\0\\win64"));
}

TEST_F(Registration, TwiceGivesTheSameContentAndUnregistrationRemovesIt)
{
    ASSERT_HR(S_OK, Register());
    const std::string once = RegistrationDump();
    ASSERT_HR(S_OK, Register());
    EXPECT_EQ(once, RegistrationDump());
    ASSERT_HR(S_OK, Unregister());
    EXPECT_EQ("", RegistrationDump());
    EXPECT_TRUE(KeyExists(u"CLSID"));
    EXPECT_HR(S_OK, Unregister()) << "nothing to remove is no failure";
}

TEST_F(Registration, ModuleCarriesItsIconAndImage)
{
    HRSRC gif = FindResourceW(Module(), MAKEINTRESOURCEW(8), u"GIF");
    ASSERT_NE(nullptr, gif);
    EXPECT_EQ(901u, SizeofResource(Module(), gif));
    EXPECT_EQ(0, memcmp("GIF89a", LockResource(LoadResource(Module(), gif)), 6));
    EXPECT_NE(nullptr, FindResourceW(Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */));
    EXPECT_NE(nullptr, FindResourceW(Module(), MAKEINTRESOURCEW(1), u"TYPELIB"));
}

TEST_F(Registration, UnregistrationReregistersACopyInThe32BitViewOnly)
{
    if (!*LUMO_REGSVR32_STANDIN) GTEST_SKIP() << "the stand-in was not built (clang and lld-link are needed)";
    {
        RegsvrStandIn standIn;
        ASSERT_TRUE(standIn.installed());
        ASSERT_HR(S_OK, Unregister());
        EXPECT_EQ("", standIn.WaitForCommandLine(3000)) << "a clean registry starts nothing";
    }
    const struct {
        const char* label;
        std::u16string path;
    } copies[] = {
        {"a path with blanks", u"C:\\Program Files (x86)\\Lumo\\LumoCommentary.dll"},
        // Longer than the 255-byte buffer: read whole.
        {"a long path", u"C:\\" + std::u16string(140, u'p') + u"\\LumoCommentary.dll"},
    };
    for (const auto& copy : copies) {
        SCOPED_TRACE(copy.label);
        ASSERT_HR(S_OK, Register());
        OtherCopy other(copy.path);
        RegsvrStandIn standIn;
        ASSERT_TRUE(standIn.installed());
        ASSERT_HR(S_OK, Unregister());
        EXPECT_EQ("\"C:\\windows\\system32\\REGSVR32.EXE\" /s \"" + Utf8(copy.path) + "\"",
                  standIn.WaitForCommandLine(30000));
        EXPECT_EQ("", RegistrationDump()) << "this copy is unregistered all the same";
    }
}
