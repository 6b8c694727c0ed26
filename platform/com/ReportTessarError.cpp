#include "platform/com/ReportTessarError.h"

#include <oleauto.h>

#include "platform/com/ScopedComPtr.h"
#include "platform/foundation/SResManager.h"
#include "platform/foundation/SResString.h"

namespace {

// The class's ProgID, or its CLSID in braces; empty for GUID_NULL.
SWCharString SourceOf(REFCLSID clsid)
{
    if (IsEqualGUID(clsid, GUID_NULL)) return SWCharString();
    LPOLESTR text = nullptr;
    if (FAILED(ProgIDFromCLSID(clsid, &text)) || !text) {
        if (text) CoTaskMemFree(text);
        text = nullptr;
        if (FAILED(StringFromCLSID(clsid, &text)) || !text) return SWCharString();
    }
    SWCharString source(text);
    CoTaskMemFree(text);
    return source;
}

}  // namespace

HRESULT ReportTessarError(REFCLSID clsid, REFIID iid, uint32_t messageNumber, const SIArray<SWCharString>& texts,
                          HRESULT hr) noexcept
{
    try {
        const SWCharString description = SResString::Format(messageNumber, SResManager::ThreadLocale(), texts);
        const SWCharString source = SourceOf(clsid);

        ScopedComPtr<ICreateErrorInfo> create;
        if (FAILED(CreateErrorInfo(create.Receive()))) return hr;
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        create->SetSource(const_cast<LPOLESTR>(source.c_str()));
        create->SetGUID(iid);
        ScopedComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.QueryInterface(IID_IErrorInfo, info))) SetErrorInfo(0, info.Get());
    } catch (...) {
        // Out of memory while building the texts: the result code alone.
    }
    return hr;
}
