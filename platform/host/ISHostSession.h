// The host platform's session, as the commentary service object sees it.
//
// The host hands one of these to the service object (SetCOMSession).  Of the
// session's many operations the service object uses four, at fixed places of
// the interface's table of operations (counted from 0, with the three IUnknown
// operations at 0 to 2):
//
//    8  GetServerFilter        second server-selection text
//   12  GetLocaleId            the caller's locale
//   33  GetClusterName         first server-selection text
//   35  GetRequestLogonToken   the logon token sent with every request
//
// What the two server-selection texts mean to the service framework: the
// cluster names the naming context in which the commentary servers are
// registered (empty: the default cluster "LumoCommentary"); the server filter
// narrows the servers of that cluster (empty: any server; a name: that
// server; a prefix ending in '*': servers whose names start with it).
//
// Every other operation belongs to parts of the host platform that the
// commentary service does not use; a session of this project answers them
// with E_NOTIMPL.
#pragma once

#include <objbase.h>
#include <oleauto.h>

// {6C7A2E51-3F0B-4B8E-9A41-2D5C8E7F1A33}
inline const IID IID_ISHostSession = {0x6c7a2e51, 0x3f0b, 0x4b8e, {0x9a, 0x41, 0x2d, 0x5c, 0x8e, 0x7f, 0x1a, 0x33}};

struct ISHostSession : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Reserved03() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved04() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved05() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved06() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved07() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetServerFilter(BSTR* filter) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE Reserved09() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved10() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLocaleId(LCID* locale) = 0;  // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved24() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved25() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved27() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved30() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClusterName(BSTR* cluster) = 0;  // 33
    virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRequestLogonToken(BSTR* token) = 0;  // 35
};

// The places of the four operations in the table of operations.
namespace lumo_host_session {
constexpr int kServerFilterSlot = 8;
constexpr int kLocaleIdSlot = 12;
constexpr int kClusterNameSlot = 33;
constexpr int kRequestLogonTokenSlot = 35;
constexpr int kOperationCount = 36;
}  // namespace lumo_host_session
