// The commentary service object (coclass LumoCommentaryService): the client's
// way to the remote commentary service (ISLumoCommentaryService) and the
// host's way to bind it to a session (ISInternalService).
//
// Each of the six operations turns the request object it is given into a
// model request and its JSON text, sends the text through the proxy of the
// managed service (m_iCommentSvc) and turns the reply into a response object
// of the reply's type.  The operation called does not choose what is done:
// the request object's own kind does.
//
// Everything one operation builds (model request, request text, reply text,
// model response) is gone when it returns; only the response object handed
// to the client outlives the call.  Operations may run on several threads at
// once; SetCOMSession and SetImplPointers are called by the host before
// clients use the object and never while an operation runs.
#pragma once

#include <cstdint>

#include "com/sdk/scomobjectbase.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"
#include "platform/foundation/SString.h"
#include "platform/host/ISHostSession.h"
#include "service/object/ISInternalService.h"
#include "service/proxy/LumoCommentaryServiceHandle.h"

class CComLumoCommentaryService
    : public SComObjectBase,
      public CComCoClass<CComLumoCommentaryService, &CLSID_LumoCommentaryService>,
      public ISupportErrorInfoImpl<&IID_ISLumoCommentaryService>,
      public IDispatchImpl<ISLumoCommentaryService, &IID_ISLumoCommentaryService,
                           &LIBID_CorvelLumoCommentaryServiceLib, 1, 0>,
      public ISInternalService {
public:
    CComLumoCommentaryService();
    ~CComLumoCommentaryService() override;

    DECLARE_REGISTRY_RESOURCEID(IDR_LUMOCOMMENTARY)

    BEGIN_COM_MAP(CComLumoCommentaryService)
        COM_INTERFACE_ENTRY(ISLumoCommentaryService)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        COM_INTERFACE_ENTRY(ISInternalService)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()

    // ISLumoCommentaryService
    STDMETHOD(AddComment)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;
    STDMETHOD(GetComment)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;
    STDMETHOD(ModifyComment)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;
    STDMETHOD(DeleteComment)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;
    STDMETHOD(HideComments)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;
    STDMETHOD(DuplicateComments)(ISCommentRequest* commentReq, ISCommentResponse** commentResp) noexcept override;

    // IDispatch: the six operations called by name are answered here (see
    // the source), an argument that is no request object with
    // DISP_E_TYPEMISMATCH; every other member goes to the type library.
    STDMETHOD(Invoke)(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excepinfo, UINT* argerr) noexcept override;

    // ISInternalService
    STDMETHOD(SetImplPointers)(const WCHAR* first, const WCHAR* second) noexcept override;
    STDMETHOD(SetCOMSession)(ISHostSession* pSession) noexcept override;

    // The fixed reply given for a request that never leaves the module.
    static const char16_t kInvalidRequestResponse[];

private:
    using Operation = HRESULT (STDMETHODCALLTYPE CComLumoCommentaryService::*)(ISCommentRequest*, ISCommentResponse**);
    static Operation OperationOf(DISPID member) noexcept;
    HRESULT InvokeOperation(Operation operation, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepinfo,
                            UINT* argerr) noexcept;

    HRESULT RunOperation(const char16_t* traceName, ISCommentRequest* commentReq,
                         ISCommentResponse** commentResp) noexcept;
    HRESULT DoOperations(ISCommentRequest* commentReq, ISCommentResponse** responseSlot);
    bool ToCommentRequestJSON(ISCommentRequest* commentReq, SWCharString& requestText);
    // reply: the reply as the BSTR that Init is given.
    HRESULT CreateCommentResponse(BSTR reply, ISCommentResponse** responseSlot);
    HRESULT ReportServiceError(HRESULT status, uint32_t messageNumber) noexcept;

    HRESULT AnswerInvalidRequest(ISCommentResponse** responseSlot);
    SWCharString RequestLogonToken();

    ISHostSession* m_pSession = nullptr;
    LumoCommentaryServiceHandle m_iCommentSvc;
};
