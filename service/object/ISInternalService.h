// The host-facing interface of the commentary service object.  The host
// platform first hands over the caller's session (SetCOMSession), then tells
// the object to connect (SetImplPointers).  It is not described in the type
// library; the host uses it through its identifier.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

// {8906A131-034B-11D3-B334-00A0C9B04E87}
extern "C" const IID IID_ISInternalService;

struct ISInternalService : public IUnknown {
    // Connects to the remote commentary service; the two texts only appear in
    // trace lines.
    virtual HRESULT STDMETHODCALLTYPE SetImplPointers(const WCHAR* first, const WCHAR* second) = 0;
    // Binds the object to the host session and takes the session's locale.
    // Design decision: until the host platform's session interface is
    // described here, the session is passed as its IUnknown.
    virtual HRESULT STDMETHODCALLTYPE SetCOMSession(IUnknown* pSession) = 0;
};
