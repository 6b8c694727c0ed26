// The host-facing interface of the commentary service object.  The host
// platform first hands over the caller's session (SetCOMSession), then tells
// the object to connect (SetImplPointers).  It is not described in the type
// library; the host uses it through its identifier.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include "platform/host/ISHostSession.h"

// {8906A131-034B-11D3-B334-00A0C9B04E87}
inline const IID IID_ISInternalService = {0x8906a131, 0x034b, 0x11d3, {0xb3, 0x34, 0x00, 0xa0, 0xc9, 0xb0, 0x4e, 0x87}};

struct ISInternalService : public IUnknown {
    // Connects to the remote commentary service; the two texts only appear in
    // trace lines.
    virtual HRESULT STDMETHODCALLTYPE SetImplPointers(const WCHAR* first, const WCHAR* second) = 0;
    // Binds the object to the host session and takes the session's locale.
    virtual HRESULT STDMETHODCALLTYPE SetCOMSession(ISHostSession* pSession) = 0;
};
