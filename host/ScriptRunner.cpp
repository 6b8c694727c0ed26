#include "host/ScriptRunner.h"

#include <activscp.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>

namespace {

std::string HresultText(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

std::string Utf8(const BSTR text) { return text ? lumoUtf16ToUtf8(std::u16string(text, SysStringLen(text))) : ""; }

}  // namespace

// The engine's view of the host: named items and error reports.
class ScriptRunner::Site : public IActiveScriptSite {
public:
    explicit Site(ScriptRunner& runner) : m_runner(runner) {}
    virtual ~Site() = default;

    bool Failed() const { return m_failed; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IActiveScriptSite)) return E_NOINTERFACE;
        *object = static_cast<IActiveScriptSite*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0) delete this;
        return refs;
    }

    HRESULT STDMETHODCALLTYPE GetLCID(LCID* locale) override
    {
        if (!locale) return E_POINTER;
        *locale = LOCALE_USER_DEFAULT;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** info) override
    {
        if (item) *item = nullptr;
        if (info) *info = nullptr;
        for (const auto& global : m_runner.m_globals) {
            if (!name || global.first != name) continue;
            if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
                *item = global.second;
                (*item)->AddRef();
            }
            if ((mask & SCRIPTINFO_ITYPEINFO) && info) return TYPE_E_ELEMENTNOTFOUND;
            return S_OK;
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override
    {
        if (version) *version = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override
    {
        m_failed = true;
        if (!error) return S_OK;
        EXCEPINFO info;
        ZeroMemory(&info, sizeof info);
        error->GetExceptionInfo(&info);
        if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetSourcePosition(&context, &line, &column);
        const HRESULT code = info.scode ? info.scode : static_cast<HRESULT>(info.wCode);
        std::string text = m_runner.m_fileName + "(" + std::to_string(line + 1) + "," + std::to_string(column + 1) +
                           "): " + (info.bstrSource ? Utf8(info.bstrSource) + ": " : std::string()) +
                           (info.bstrDescription && SysStringLen(info.bstrDescription)
                                ? Utf8(info.bstrDescription)
                                : std::string("error")) +
                           " (" + HresultText(code) + ")";
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
        if (!m_runner.m_errorText.empty()) m_runner.m_errorText += "\n";
        m_runner.m_errorText += text;
        return S_OK;
    }

private:
    std::atomic<ULONG> m_refs{1};
    ScriptRunner& m_runner;
    bool m_failed = false;
};

ScriptRunner::Language ScriptRunner::LanguageOf(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : fileName.substr(dot);
    return (extension == ".js" || extension == ".JS") ? Language::JScript : Language::VBScript;
}

ScriptRunner::ScriptRunner(Language language, std::string fileName)
    : m_language(language), m_fileName(std::move(fileName))
{
}

ScriptRunner::~ScriptRunner()
{
    for (auto& global : m_globals) global.second->Release();
}

void ScriptRunner::AddGlobal(const SWCharString& name, IUnknown* object)
{
    if (!object) return;
    object->AddRef();
    m_globals.emplace_back(name, object);
}

bool ScriptRunner::Run(const SWCharString& scriptText)
{
    m_errorText.clear();
    CLSID engineId;
    const char16_t* progId = m_language == Language::JScript ? u"JScript" : u"VBScript";
    HRESULT hr = CLSIDFromProgID(progId, &engineId);
    IActiveScript* engine = nullptr;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(engineId, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                              reinterpret_cast<void**>(&engine));
    if (FAILED(hr)) {
        m_errorText = "cannot start the " + lumoUtf16ToUtf8(progId) + " engine (" + HresultText(hr) + ")";
        return false;
    }

    Site* site = new Site(*this);
    IActiveScriptParse* parser = nullptr;
    hr = engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parser));
    if (SUCCEEDED(hr)) hr = engine->SetScriptSite(site);
    if (SUCCEEDED(hr)) hr = parser->InitNew();
    for (const auto& global : m_globals) {
        if (FAILED(hr)) break;
        hr = engine->AddNamedItem(global.first.c_str(), SCRIPTITEM_ISVISIBLE);
    }
    if (SUCCEEDED(hr)) {
        EXCEPINFO info;
        ZeroMemory(&info, sizeof info);
        hr = parser->ParseScriptText(scriptText.c_str(), nullptr, nullptr, nullptr, 0, 0, 0, nullptr, &info);
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);

    const bool failed = site->Failed() || FAILED(hr);
    if (failed && m_errorText.empty()) m_errorText = m_fileName + ": the script engine failed (" + HresultText(hr) + ")";
    engine->Close();
    if (parser) parser->Release();
    engine->Release();
    site->Release();
    return !failed;
}
