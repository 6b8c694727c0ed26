// The commentary service object (coclass LumoCommentaryService): the client's
// way to the remote commentary service (ISLumoCommentaryService) and the
// host's way to bind it to a session (ISInternalService).
//
// The class has its final shape (bases, interface map, frame); the
// operations are not implemented yet and answer E_NOTIMPL.
#pragma once

#include "com/sdk/scomobjectbase.h"
#include "module/LumoCommentary.h"
#include "module/LumoCommentaryResource.h"
#include "service/object/ISInternalService.h"

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

    // ISInternalService
    STDMETHOD(SetImplPointers)(const WCHAR* first, const WCHAR* second) noexcept override;
    STDMETHOD(SetCOMSession)(IUnknown* pSession) noexcept override;
};
