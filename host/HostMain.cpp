// lumo_host: how an application of the platform uses the commentary module,
// and how a person tries it.  It logs on, creates the service object by its
// ProgID, binds it to a host session and runs a script against it.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host/CHostSession.h"
#include "host/HostConsole.h"
#include "host/HostOptions.h"
#include "host/ScriptRunner.h"
#include "platform/foundation/SString.h"
#include "platform/framework/FrameworkSettings.h"
#include "platform/framework/Nexa2Exception.h"
#include "platform/framework/SessionManager.h"
#include "service/object/ISInternalService.h"

namespace {

constexpr int kExitScriptFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitBindFailed = 3;
const char16_t kServiceProgId[] = u"CorvelEnterprise14.LumoCommentaryService.1";

std::string HresultText(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

// The description of the calling thread's error information, if any.
std::string LastErrorDescription()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return std::string();
    BSTR description = nullptr;
    info->GetDescription(&description);
    info->Release();
    const std::string text = description ? lumoUtf16ToUtf8(std::u16string(description, SysStringLen(description))) : "";
    SysFreeString(description);
    return text;
}

bool ReadScript(const std::string& path, SWCharString& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string utf8 = bytes.str();
    if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
    text = SWCharString::fromUtf8(utf8);
    return true;
}

// Creates the service object and binds it; on failure prints why.
IDispatch* CreateBoundService(const HostOptions& options, ISHostSession* session)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kServiceProgId, &clsid);
    IDispatch* service = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&service));
    if (FAILED(hr)) {
        std::fprintf(stderr, "lumo_host: cannot create %s (%s); is the module registered?\n",
                     lumoUtf16ToUtf8(kServiceProgId).c_str(), HresultText(hr).c_str());
        return nullptr;
    }
    ISInternalService* binding = nullptr;
    hr = service->QueryInterface(IID_ISInternalService, reinterpret_cast<void**>(&binding));
    if (SUCCEEDED(hr)) hr = binding->SetCOMSession(session);
    if (SUCCEEDED(hr)) {
        const SWCharString naming = SWCharString::fromUtf8(options.naming);
        hr = binding->SetImplPointers(u"lumo_host", naming.c_str());
    }
    if (binding) binding->Release();
    if (FAILED(hr)) {
        const std::string why = LastErrorDescription();
        std::fprintf(stderr, "lumo_host: cannot connect to the commentary service (%s)%s%s\n", HresultText(hr).c_str(),
                     why.empty() ? "" : ": ", why.c_str());
        service->Release();
        return nullptr;
    }
    return service;
}

int RunScript(const HostOptions& options, IDispatch* service)
{
    SWCharString text;
    if (!ReadScript(options.script, text)) {
        std::fprintf(stderr, "lumo_host: cannot read %s\n", options.script.c_str());
        return kExitUsage;
    }
    ScriptRunner runner(ScriptRunner::LanguageOf(options.script), options.script);
    HostConsole* console = HostConsole::Create();
    runner.AddGlobal(SWCharString::fromUtf8(options.globalName), service);
    runner.AddGlobal(u"WScript", console);
    console->Release();
    if (runner.Run(text)) return 0;
    std::fprintf(stderr, "%s\n", runner.ErrorText().c_str());
    return kExitScriptFailed;
}

int Run(const HostOptions& options)
{
    if (!options.naming.empty()) {
        FrameworkSettings settings = FrameworkSettings::current();
        settings.naming = options.naming;
        FrameworkSettings::setCurrent(settings);
    }
    CHostSession::Settings sessionSettings;
    try {
        SessionManager::logon(SWCharString::fromUtf8(options.user), options.tokenSecret);
        sessionSettings.logonToken = SessionManager::getServerSession()->getLogonToken();
    } catch (const Nexa2Exception& e) {
        std::fprintf(stderr, "lumo_host: logon failed: %s\n", e.what());
        return kExitBindFailed;
    }
    sessionSettings.locale = options.locale;
    sessionSettings.cluster = SWCharString::fromUtf8(options.cluster);
    sessionSettings.serverFilter = SWCharString::fromUtf8(options.serverFilter);

    CHostSession* session = CHostSession::Create(sessionSettings);
    IDispatch* service = CreateBoundService(options, session);
    int status = kExitBindFailed;
    if (service) {
        status = RunScript(options, service);
        service->Release();
    }
    session->Release();
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    HostOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "lumo_host: %s\n\n%s", error.c_str(), HostOptions::usage());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(HostOptions::usage(), stdout);
        return 0;
    }
    // Script engines live in single-threaded apartments.
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr)) {
        std::fprintf(stderr, "lumo_host: cannot initialise COM (%s)\n", HresultText(hr).c_str());
        return kExitBindFailed;
    }
    const int status = Run(options);
    CoUninitialize();
    return status;
}
