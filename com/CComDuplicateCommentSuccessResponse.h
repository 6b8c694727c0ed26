// The answer to a successful duplicate (coclass
// DuplicateCommentSuccessResponse, interface
// ISDuplicateCommentSuccessResponse): status, description and type of the
// model DuplicateCommentSuccessResponse; its interface adds nothing.
//
// The class has no class-table entry and no registry entries: clients cannot
// create it; only the service object does, for a reply of its type.
#pragma once

#include "com/CComCommentResponseImpl.h"

class CComDuplicateCommentSuccessResponse
    : public CComCommentResponseImpl<CComDuplicateCommentSuccessResponse, ISDuplicateCommentSuccessResponse,
                                     &CLSID_DuplicateCommentSuccessResponse, &IID_ISDuplicateCommentSuccessResponse,
                                     lumocommentaryservice_nexa_api::DuplicateCommentSuccessResponse> {
public:
    static constexpr char kTraceArea[] = "CComDuplicateCommentSuccessResponse";

    CComDuplicateCommentSuccessResponse();
    ~CComDuplicateCommentSuccessResponse() override;

    BEGIN_COM_MAP(CComDuplicateCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISDuplicateCommentSuccessResponse)
        COM_INTERFACE_ENTRY(ISCommentResponse)
        COM_INTERFACE_ENTRY(IDispatch)
        COM_INTERFACE_ENTRY(ISupportErrorInfo)
        SCOM_INTERFACE_ENTRY_MARSHALER()
    END_COM_MAP()
};
