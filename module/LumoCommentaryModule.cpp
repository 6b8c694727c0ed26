#include "module/LumoCommentaryModule.h"

#include <objbase.h>
#include <olectl.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "com/CComAddCommentRequest.h"
#include "com/CComAddCommentSuccessResponse.h"
#include "com/CComComment.h"
#include "com/CComCommentErrorResponse.h"
#include "com/CComCommentQualifier.h"
#include "com/CComDeleteCommentRequest.h"
#include "com/CComDeleteCommentSuccessResponse.h"
#include "com/CComDuplicateCommentRequest.h"
#include "com/CComGetCommentRequest.h"
#include "com/CComGetCommentSuccessResponse.h"
#include "com/CComHideCommentRequest.h"
#include "com/CComModifyCommentRequest.h"
#include "com/CComModifyCommentSuccessResponse.h"
#include "com/CComSortParams.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"
#include "platform/foundation/SLogger.h"
#include "platform/foundation/SResManager.h"
#include "service/object/CComLumoCommentaryService.h"

// The fifteen classes that clients can create, in table order.  The hide and
// duplicate success responses have no row: only the service object makes them.
SComClassEntry g_LumoClassTable[] = {
    OBJECT_ENTRY(CLSID_LumoCommentaryService, CComLumoCommentaryService)                  //  1
    OBJECT_ENTRY(CLSID_Comment, CComComment)                                              //  2
    OBJECT_ENTRY(CLSID_AddCommentRequest, CComAddCommentRequest)                          //  3
    OBJECT_ENTRY(CLSID_DeleteCommentRequest, CComDeleteCommentRequest)                    //  4
    OBJECT_ENTRY(CLSID_ModifyCommentRequest, CComModifyCommentRequest)                    //  5
    OBJECT_ENTRY(CLSID_HideCommentRequest, CComHideCommentRequest)                        //  6
    OBJECT_ENTRY(CLSID_DuplicateCommentRequest, CComDuplicateCommentRequest)              //  7
    OBJECT_ENTRY(CLSID_SortParam, CComSortParam)                                          //  8
    OBJECT_ENTRY(CLSID_CommentQualifier, CComCommentQualifier)                            //  9
    OBJECT_ENTRY(CLSID_GetCommentRequest, CComGetCommentRequest)                          // 10
    OBJECT_ENTRY(CLSID_AddCommentSuccessResponse, CComAddCommentSuccessResponse)          // 11
    OBJECT_ENTRY(CLSID_DeleteCommentSuccessResponse, CComDeleteCommentSuccessResponse)    // 12
    OBJECT_ENTRY(CLSID_ModifyCommentSuccessResponse, CComModifyCommentSuccessResponse)    // 13
    OBJECT_ENTRY(CLSID_GetCommentSuccessResponse, CComGetCommentSuccessResponse)          // 14
    OBJECT_ENTRY(CLSID_CommentErrorResponse, CComCommentErrorResponse)                    // 15
    END_OBJECT_MAP()};

void LumoModuleAttach(HINSTANCE instance) noexcept
{
    g_ComModule.Init(g_LumoClassTable, instance, &LIBID_CorvelLumoCommentaryServiceLib);
    SLogger::Initialize();
    SResManager::Initialize();
}

void LumoModuleDetach() noexcept
{
    g_ComModule.Term();
    SResManager::Terminate();
    SLogger::Terminate();
}

// --- the exports ----------------------------------------------------------

namespace {

// COM for the registrar on the calling thread.  Wine's regsvr32 initialises
// COM (a single-threaded apartment) before it calls DllRegisterServer or
// DllUnregisterServer; a program that loads the module and calls the export
// itself may not have.  The module initialises COM only when the thread has
// no apartment, and only then uninitialises it again.
class RegistrationApartment {
public:
    RegistrationApartment() noexcept
    {
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        if (CoGetApartmentType(&type, &qualifier) == CO_E_NOTINITIALIZED)
            m_initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~RegistrationApartment()
    {
        if (m_initialized) CoUninitialize();
    }
    RegistrationApartment(const RegistrationApartment&) = delete;
    RegistrationApartment& operator=(const RegistrationApartment&) = delete;

private:
    bool m_initialized = false;
};

// The default value of the service class's InprocServer32 key, if another
// copy of the module is still registered: first the 64-bit view, then the
// 32-bit view, then the same path with full access.  False when no key opens.
bool RegisteredCopyPath(std::vector<WCHAR>& path) noexcept
{
    LPOLESTR clsidText = nullptr;
    if (FAILED(StringFromCLSID(CLSID_LumoCommentaryService, &clsidText)) || !clsidText) return false;
    WCHAR native[96] = u"CLSID\\";
    WCHAR wow[96] = u"Wow6432Node\\CLSID\\";
    lstrcatW(native, clsidText);
    lstrcatW(native, u"\\InprocServer32");
    lstrcatW(wow, clsidText);
    lstrcatW(wow, u"\\InprocServer32");
    CoTaskMemFree(clsidText);

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, native, 0, 0x20119 /* KEY_READ | KEY_WOW64_64KEY */, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_CLASSES_ROOT, wow, 0, 0x20219 /* KEY_READ | KEY_WOW64_32KEY */, &key) != ERROR_SUCCESS &&
        RegOpenKeyExW(HKEY_CLASSES_ROOT, wow, 0, 0xF003F /* KEY_ALL_ACCESS */, &key) != ERROR_SUCCESS)
        return false;

    // The value is read into a 255-byte buffer and its result is not
    // examined (a failed read leaves the text empty).  Design decision: a
    // path too long for that buffer (more than 126 characters) is read whole
    // instead, so that a copy in a long path is re-registered too.
    constexpr DWORD kBufferBytes = 255;
    try {
        path.assign(kBufferBytes / sizeof(WCHAR) + 1, 0);
        DWORD size = kBufferBytes;
        LONG status = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path.data()), &size);
        if (status == ERROR_MORE_DATA) {
            path.assign(size / sizeof(WCHAR) + 2, 0);
            size = static_cast<DWORD>((path.size() - 1) * sizeof(WCHAR));
            status = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path.data()), &size);
        }
        if (status != ERROR_SUCCESS) path.assign(1, 0);
        path.back() = 0;
    } catch (...) {
        path.assign(1, 0);
    }
    RegCloseKey(key);
    return true;
}

// Starts "REGSVR32.EXE /s "<path>"" for a copy of the module that is still
// registered elsewhere; its outcome goes unnoticed.
void ReregisterOtherCopy() noexcept
{
    std::vector<WCHAR> path;
    if (!RegisteredCopyPath(path)) return;
    try {
        std::u16string parameters = u"/s \"";
        parameters += path.data();
        parameters += u'"';
        ShellExecuteW(nullptr, nullptr, u"REGSVR32.EXE", parameters.c_str(), nullptr, 0 /* SW_HIDE */);
    } catch (...) {
    }
}

}  // namespace

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    return g_ComModule.GetClassObject(rclsid, riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return g_ComModule.GetLockCount() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer()
{
    RegistrationApartment apartment;
    return g_ComModule.RegisterServer(TRUE);
}

STDAPI DllUnregisterServer()
{
    RegistrationApartment apartment;
    g_ComModule.UnregisterServer(TRUE);
    ReregisterOtherCopy();
    return S_OK;
}
